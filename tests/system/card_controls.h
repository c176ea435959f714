// A sound card's controls read and written straight through the kernel's control interface,
// beside whatever the program under test does with the card's mixer.
#pragma once

#include <alsa/asoundlib.h>

#include <map>
#include <string>
#include <vector>

namespace corvane::systest {

class CardControls {
 public:
  explicit CardControls(const std::string& ctl_name);  // e.g. "hw:Dummy"; throws std::runtime_error
  ~CardControls();
  CardControls(const CardControls&) = delete;
  CardControls& operator=(const CardControls&) = delete;

  // Every mixer control by name ("Name,1" for index 1, as names are given below too), with all its values (booleans as 0/1, enumerations as
  // the item index).
  std::map<std::string, std::vector<long>> Snapshot();
  std::vector<long> Values(const std::string& name);
  void Write(const std::string& name, const std::vector<long>& values);

  // Controls of the test's own making on the card, as a driver would offer them, writable by
  // every program; they stay until removed.
  void AddEnumerated(const std::string& name, const std::vector<std::string>& items, long value);
  void AddBoolean(const std::string& name, unsigned channels, bool value);
  void Remove(const std::string& name);

 private:
  void Check(int result, const std::string& what) const;
  std::vector<long> Values(snd_ctl_elem_id_t* id, const std::string& name);
  void Unlock(snd_ctl_elem_id_t* id, const std::string& name);

  std::string name_;
  snd_ctl_t* ctl_ = nullptr;
};

}  // namespace corvane::systest
