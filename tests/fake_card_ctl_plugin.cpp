// An ALSA control plugin serving the test program's fake card (fakes/fake_card.h).

#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <cstring>

#include "fakes/fake_card.h"

namespace {

using corvane::testing::FakeCardControl;

std::vector<FakeCardControl>& Controls() { return CorvaneFakeCardControls(); }

FakeCardControl* At(snd_ctl_ext_key_t key) {
  return key < Controls().size() ? &Controls()[key] : nullptr;
}

int ElemCount(snd_ctl_ext_t*) { return static_cast<int>(Controls().size()); }

int ElemList(snd_ctl_ext_t*, unsigned offset, snd_ctl_elem_id_t* id) {
  if (offset >= Controls().size()) return -EINVAL;
  snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
  snd_ctl_elem_id_set_name(id, Controls()[offset].name.c_str());
  snd_ctl_elem_id_set_index(id, Controls()[offset].index);
  return 0;
}

snd_ctl_ext_key_t FindElem(snd_ctl_ext_t*, const snd_ctl_elem_id_t* id) {
  const char* name = snd_ctl_elem_id_get_name(id);
  const unsigned index = snd_ctl_elem_id_get_index(id);
  for (std::size_t i = 0; i < Controls().size(); ++i) {
    if (Controls()[i].name == name && Controls()[i].index == index) return i;
  }
  return SND_CTL_EXT_KEY_NOT_FOUND;
}

int GetAttribute(snd_ctl_ext_t*, snd_ctl_ext_key_t key, int* type, unsigned* access, unsigned* count) {
  const FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  *type = c->type == FakeCardControl::kInteger   ? SND_CTL_ELEM_TYPE_INTEGER
          : c->type == FakeCardControl::kBoolean ? SND_CTL_ELEM_TYPE_BOOLEAN
                                                 : SND_CTL_ELEM_TYPE_ENUMERATED;
  *access = static_cast<unsigned>(SND_CTL_EXT_ACCESS_READWRITE) |
            (c->inactive ? static_cast<unsigned>(SND_CTL_EXT_ACCESS_INACTIVE) : 0u);
  *count = static_cast<unsigned>(c->values.size());
  return 0;
}

int GetIntegerInfo(snd_ctl_ext_t*, snd_ctl_ext_key_t key, long* min, long* max, long* step) {
  const FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  *min = c->type == FakeCardControl::kBoolean ? 0 : c->min;
  *max = c->type == FakeCardControl::kBoolean ? 1 : c->max;
  *step = 1;
  return 0;
}

int GetEnumeratedInfo(snd_ctl_ext_t*, snd_ctl_ext_key_t key, unsigned* items) {
  const FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  *items = static_cast<unsigned>(c->items.size());
  return 0;
}

int GetEnumeratedName(snd_ctl_ext_t*, snd_ctl_ext_key_t key, unsigned item, char* name, size_t max) {
  const FakeCardControl* c = At(key);
  if (!c || item >= c->items.size() || max == 0) return -EINVAL;
  std::strncpy(name, c->items[item].c_str(), max - 1);
  name[max - 1] = '\0';
  return 0;
}

int ReadInteger(snd_ctl_ext_t*, snd_ctl_ext_key_t key, long* value) {
  const FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  std::copy(c->values.begin(), c->values.end(), value);
  return 0;
}

int WriteInteger(snd_ctl_ext_t*, snd_ctl_ext_key_t key, long* value) {
  FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  std::copy(value, value + c->values.size(), c->values.begin());
  return 1;
}

int ReadEnumerated(snd_ctl_ext_t*, snd_ctl_ext_key_t key, unsigned* items) {
  const FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  for (std::size_t i = 0; i < c->values.size(); ++i) items[i] = static_cast<unsigned>(c->values[i]);
  return 0;
}

int WriteEnumerated(snd_ctl_ext_t*, snd_ctl_ext_key_t key, unsigned* items) {
  FakeCardControl* c = At(key);
  if (!c) return -EINVAL;
  for (std::size_t i = 0; i < c->values.size(); ++i) c->values[i] = items[i];
  return 1;
}

int ReadEvent(snd_ctl_ext_t*, snd_ctl_elem_id_t*, unsigned*) { return -EAGAIN; }

void Close(snd_ctl_ext_t* ext) { delete ext; }

const snd_ctl_ext_callback_t kCallbacks = [] {
  snd_ctl_ext_callback_t cb{};
  cb.close = Close;
  cb.elem_count = ElemCount;
  cb.elem_list = ElemList;
  cb.find_elem = FindElem;
  cb.get_attribute = GetAttribute;
  cb.get_integer_info = GetIntegerInfo;
  cb.get_enumerated_info = GetEnumeratedInfo;
  cb.get_enumerated_name = GetEnumeratedName;
  cb.read_integer = ReadInteger;
  cb.read_enumerated = ReadEnumerated;
  cb.write_integer = WriteInteger;
  cb.write_enumerated = WriteEnumerated;
  cb.read_event = ReadEvent;
  return cb;
}();

}  // namespace

extern "C" SND_CTL_PLUGIN_DEFINE_FUNC(corvane_fake_card) {
  (void)root;
  (void)conf;
  auto* ext = new snd_ctl_ext_t{};
  ext->version = SND_CTL_EXT_VERSION;
  ext->card_idx = 0;
  std::strcpy(ext->id, "FakeCard");
  std::strcpy(ext->driver, "fake");
  std::strcpy(ext->name, "Fake Card");
  std::strcpy(ext->longname, "Fake Card");
  std::strcpy(ext->mixername, "Fake Card");
  ext->poll_fd = -1;
  ext->callback = &kCallbacks;
  const int err = snd_ctl_ext_create(ext, name, mode);
  if (err < 0) {
    delete ext;
    return err;
  }
  *handlep = ext->handle;
  return 0;
}
SND_CTL_PLUGIN_SYMBOL(corvane_fake_card);
