#include "card_controls.h"

#include <stdexcept>
#include <utility>

namespace corvane::systest {
namespace {

// "Name", or "Name,1" for index 1.
std::pair<std::string, unsigned> NameAndIndex(const std::string& key) {
  const std::size_t comma = key.rfind(',');
  if (comma == std::string::npos || comma + 1 == key.size() ||
      key.find_first_not_of("0123456789", comma + 1) != std::string::npos) {
    return {key, 0};
  }
  return {key.substr(0, comma), static_cast<unsigned>(std::stoul(key.substr(comma + 1)))};
}

void SetMixerId(snd_ctl_elem_id_t* id, const std::string& key) {
  const auto [name, index] = NameAndIndex(key);
  snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
  snd_ctl_elem_id_set_name(id, name.c_str());
  snd_ctl_elem_id_set_index(id, index);
}

}  // namespace

CardControls::CardControls(const std::string& ctl_name) : name_(ctl_name) {
  Check(snd_ctl_open(&ctl_, ctl_name.c_str(), 0), "open");
}

CardControls::~CardControls() { snd_ctl_close(ctl_); }

void CardControls::Check(int result, const std::string& what) const {
  if (result < 0) throw std::runtime_error(what + " on " + name_ + ": " + snd_strerror(result));
}

std::vector<long> CardControls::Values(const std::string& name) {
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  SetMixerId(id, name);
  return Values(id, name);
}

std::vector<long> CardControls::Values(snd_ctl_elem_id_t* id, const std::string& name) {
  snd_ctl_elem_info_t* info = nullptr;
  snd_ctl_elem_value_t* value = nullptr;
  snd_ctl_elem_info_alloca(&info);
  snd_ctl_elem_value_alloca(&value);
  snd_ctl_elem_info_set_id(info, id);
  Check(snd_ctl_elem_info(ctl_, info), "read the description of '" + name + "'");
  snd_ctl_elem_value_set_id(value, id);
  Check(snd_ctl_elem_read(ctl_, value), "read '" + name + "'");
  std::vector<long> values;
  for (unsigned i = 0; i < snd_ctl_elem_info_get_count(info); ++i) {
    switch (snd_ctl_elem_info_get_type(info)) {
      case SND_CTL_ELEM_TYPE_BOOLEAN: values.push_back(snd_ctl_elem_value_get_boolean(value, i)); break;
      case SND_CTL_ELEM_TYPE_INTEGER: values.push_back(snd_ctl_elem_value_get_integer(value, i)); break;
      case SND_CTL_ELEM_TYPE_ENUMERATED: values.push_back(snd_ctl_elem_value_get_enumerated(value, i)); break;
      default: break;  // no other kind on the cards tested
    }
  }
  return values;
}

std::map<std::string, std::vector<long>> CardControls::Snapshot() {
  snd_ctl_elem_list_t* list = nullptr;
  snd_ctl_elem_list_alloca(&list);
  Check(snd_ctl_elem_list(ctl_, list), "count the controls");
  const unsigned count = snd_ctl_elem_list_get_count(list);
  Check(snd_ctl_elem_list_alloc_space(list, count), "list the controls");
  std::map<std::string, std::vector<long>> snapshot;
  const int listed = snd_ctl_elem_list(ctl_, list);
  if (listed >= 0) {
    for (unsigned i = 0; i < snd_ctl_elem_list_get_used(list); ++i) {
      if (snd_ctl_elem_list_get_interface(list, i) != SND_CTL_ELEM_IFACE_MIXER) continue;
      const unsigned index = snd_ctl_elem_list_get_index(list, i);
      std::string name = snd_ctl_elem_list_get_name(list, i);
      if (index > 0) name += "," + std::to_string(index);
      snd_ctl_elem_id_t* id = nullptr;
      snd_ctl_elem_id_alloca(&id);
      snd_ctl_elem_list_get_id(list, i, id);
      snapshot[name] = Values(id, name);
    }
  }
  snd_ctl_elem_list_free_space(list);
  Check(listed, "list the controls");
  return snapshot;
}

void CardControls::Write(const std::string& name, const std::vector<long>& values) {
  snd_ctl_elem_info_t* info = nullptr;
  snd_ctl_elem_value_t* value = nullptr;
  snd_ctl_elem_info_alloca(&info);
  snd_ctl_elem_value_alloca(&value);
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  SetMixerId(id, name);
  snd_ctl_elem_info_set_id(info, id);
  Check(snd_ctl_elem_info(ctl_, info), "read the description of '" + name + "'");
  snd_ctl_elem_value_set_id(value, id);
  for (unsigned i = 0; i < values.size(); ++i) {
    switch (snd_ctl_elem_info_get_type(info)) {
      case SND_CTL_ELEM_TYPE_BOOLEAN: snd_ctl_elem_value_set_boolean(value, i, values[i]); break;
      case SND_CTL_ELEM_TYPE_INTEGER: snd_ctl_elem_value_set_integer(value, i, values[i]); break;
      case SND_CTL_ELEM_TYPE_ENUMERATED:
        snd_ctl_elem_value_set_enumerated(value, i, static_cast<unsigned>(values[i]));
        break;
      default: break;
    }
  }
  Check(snd_ctl_elem_write(ctl_, value), "write '" + name + "'");
}

// The kernel locks a control to the file that added it: others could not write it.
void CardControls::Unlock(snd_ctl_elem_id_t* id, const std::string& name) {
  Check(snd_ctl_elem_unlock(ctl_, id), "unlock '" + name + "'");
}

void CardControls::AddEnumerated(const std::string& name, const std::vector<std::string>& items, long value) {
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  SetMixerId(id, name);
  std::vector<const char*> labels;
  for (const auto& item : items) labels.push_back(item.c_str());
  Check(snd_ctl_elem_add_enumerated(ctl_, id, 1, static_cast<unsigned>(labels.size()), labels.data()),
        "add '" + name + "'");
  Unlock(id, name);
  Write(name, {value});
}

void CardControls::AddBoolean(const std::string& name, unsigned channels, bool value) {
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  SetMixerId(id, name);
  Check(snd_ctl_elem_add_boolean(ctl_, id, channels), "add '" + name + "'");
  Unlock(id, name);
  Write(name, std::vector<long>(channels, value ? 1 : 0));
}

void CardControls::Remove(const std::string& name) {
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  SetMixerId(id, name);
  Check(snd_ctl_elem_remove(ctl_, id), "remove '" + name + "'");
}

}  // namespace corvane::systest
