#include "platform/linux/alsa_element_channels.h"

namespace corvane {

namespace {

using Channel = snd_mixer_selem_channel_id_t;

bool Joined(snd_mixer_elem_t* e, ElementPart part) {
  switch (part) {
    case ElementPart::kCaptureVolume: return snd_mixer_selem_has_capture_volume_joined(e);
    case ElementPart::kCaptureSwitch: return snd_mixer_selem_has_capture_switch_joined(e);
    case ElementPart::kPlaybackSwitch: return snd_mixer_selem_has_playback_switch_joined(e);
    case ElementPart::kEnumItem: return false;
  }
  return false;
}

bool HasChannel(snd_mixer_elem_t* e, ElementPart part, Channel channel) {
  switch (part) {
    case ElementPart::kCaptureVolume:
    case ElementPart::kCaptureSwitch: return snd_mixer_selem_has_capture_channel(e, channel);
    case ElementPart::kPlaybackSwitch: return snd_mixer_selem_has_playback_channel(e, channel);
    case ElementPart::kEnumItem: {
      unsigned item = 0;
      return snd_mixer_selem_get_enum_item(e, channel, &item) >= 0;
    }
  }
  return false;
}

// The channels the part has: the first only when they are joined.
std::vector<Channel> Channels(snd_mixer_elem_t* e, ElementPart part) {
  std::vector<Channel> channels;
  for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
    const auto channel = static_cast<Channel>(c);
    if (!HasChannel(e, part, channel)) continue;
    channels.push_back(channel);
    if (Joined(e, part)) break;
  }
  return channels;
}

int Read(snd_mixer_elem_t* e, ElementPart part, Channel channel, long& value) {
  int on = 0;
  unsigned item = 0;
  int err = 0;
  switch (part) {
    case ElementPart::kCaptureVolume: return snd_mixer_selem_get_capture_volume(e, channel, &value);
    case ElementPart::kCaptureSwitch: err = snd_mixer_selem_get_capture_switch(e, channel, &on); break;
    case ElementPart::kPlaybackSwitch: err = snd_mixer_selem_get_playback_switch(e, channel, &on); break;
    case ElementPart::kEnumItem:
      err = snd_mixer_selem_get_enum_item(e, channel, &item);
      value = static_cast<long>(item);
      return err;
  }
  value = on;
  return err;
}

int Write(snd_mixer_elem_t* e, ElementPart part, Channel channel, long value) {
  switch (part) {
    case ElementPart::kCaptureVolume: return snd_mixer_selem_set_capture_volume(e, channel, value);
    case ElementPart::kCaptureSwitch: return snd_mixer_selem_set_capture_switch(e, channel, value != 0);
    case ElementPart::kPlaybackSwitch: return snd_mixer_selem_set_playback_switch(e, channel, value != 0);
    case ElementPart::kEnumItem:
      return snd_mixer_selem_set_enum_item(e, channel, static_cast<unsigned>(value));
  }
  return -EINVAL;
}

snd_hctl_elem_t* RawControl(snd_mixer_t* mixer, const std::string& card, const std::string& name, unsigned index,
                            snd_ctl_elem_info_t* info) {
  snd_hctl_t* hctl = nullptr;
  if (snd_mixer_get_hctl(mixer, card.c_str(), &hctl) < 0) return nullptr;
  snd_ctl_elem_id_t* id = nullptr;
  snd_ctl_elem_id_alloca(&id);
  snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
  snd_ctl_elem_id_set_name(id, name.c_str());
  snd_ctl_elem_id_set_index(id, index);
  snd_hctl_elem_t* e = snd_hctl_find_elem(hctl, id);
  if (!e || snd_hctl_elem_info(e, info) < 0) return nullptr;
  const snd_ctl_elem_type_t type = snd_ctl_elem_info_get_type(info);
  return type == SND_CTL_ELEM_TYPE_BOOLEAN || type == SND_CTL_ELEM_TYPE_INTEGER ? e : nullptr;
}

}  // namespace

bool ReadRawControl(snd_mixer_t* mixer, const std::string& card, const std::string& name, unsigned index,
                    std::vector<long>& values) {
  values.clear();
  snd_ctl_elem_info_t* info = nullptr;
  snd_ctl_elem_value_t* value = nullptr;
  snd_ctl_elem_info_alloca(&info);
  snd_ctl_elem_value_alloca(&value);
  snd_hctl_elem_t* e = RawControl(mixer, card, name, index, info);
  if (!e || snd_hctl_elem_read(e, value) < 0) return false;
  const bool boolean = snd_ctl_elem_info_get_type(info) == SND_CTL_ELEM_TYPE_BOOLEAN;
  for (unsigned i = 0; i < snd_ctl_elem_info_get_count(info); ++i) {
    values.push_back(boolean ? snd_ctl_elem_value_get_boolean(value, i) : snd_ctl_elem_value_get_integer(value, i));
  }
  return true;
}

bool WriteRawControl(snd_mixer_t* mixer, const std::string& card, const std::string& name, unsigned index,
                     const std::vector<long>& values) {
  snd_ctl_elem_info_t* info = nullptr;
  snd_ctl_elem_value_t* value = nullptr;
  snd_ctl_elem_info_alloca(&info);
  snd_ctl_elem_value_alloca(&value);
  snd_hctl_elem_t* e = RawControl(mixer, card, name, index, info);
  if (!e || values.size() != snd_ctl_elem_info_get_count(info) || snd_hctl_elem_read(e, value) < 0) return false;
  const bool boolean = snd_ctl_elem_info_get_type(info) == SND_CTL_ELEM_TYPE_BOOLEAN;
  for (unsigned i = 0; i < values.size(); ++i) {
    if (boolean) {
      snd_ctl_elem_value_set_boolean(value, i, values[i]);
    } else {
      snd_ctl_elem_value_set_integer(value, i, values[i]);
    }
  }
  return snd_hctl_elem_write(e, value) >= 0;
}

bool HasPart(snd_mixer_elem_t* e, ElementPart part) {
  switch (part) {
    case ElementPart::kCaptureVolume: return snd_mixer_selem_has_capture_volume(e);
    case ElementPart::kCaptureSwitch: return snd_mixer_selem_has_capture_switch(e);
    case ElementPart::kPlaybackSwitch: return snd_mixer_selem_has_playback_switch(e);
    case ElementPart::kEnumItem: return snd_mixer_selem_is_enumerated(e);
  }
  return false;
}

bool ReadChannels(snd_mixer_elem_t* e, ElementPart part, std::vector<long>& values) {
  values.clear();
  if (!HasPart(e, part)) return false;
  for (Channel channel : Channels(e, part)) {
    long value = 0;
    if (Read(e, part, channel, value) < 0) return false;
    values.push_back(value);
  }
  return !values.empty();
}

bool WriteChannels(snd_mixer_elem_t* e, ElementPart part, const std::vector<long>& values) {
  if (!HasPart(e, part)) return false;
  const std::vector<Channel> channels = Channels(e, part);
  if (channels.size() != values.size()) return false;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (Write(e, part, channels[i], values[i]) < 0) return false;
  }
  return true;
}

bool WriteAllChannels(snd_mixer_elem_t* e, ElementPart part, long value) {
  if (!HasPart(e, part)) return false;
  switch (part) {
    case ElementPart::kCaptureVolume: return snd_mixer_selem_set_capture_volume_all(e, value) >= 0;
    case ElementPart::kCaptureSwitch: return snd_mixer_selem_set_capture_switch_all(e, value != 0) >= 0;
    case ElementPart::kPlaybackSwitch: return snd_mixer_selem_set_playback_switch_all(e, value != 0) >= 0;
    case ElementPart::kEnumItem:
      for (Channel channel : Channels(e, part)) {
        if (Write(e, part, channel, value) < 0) return false;
      }
      return true;
  }
  return false;
}

}  // namespace corvane
