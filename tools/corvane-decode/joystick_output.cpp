#include "corvane-decode/joystick_output.h"

namespace corvane::tool {

void JoystickOutput::Start() {
  open_ = joystick_.Open();
  if (!open_) {
    std::fprintf(messages_, "corvane-decode: no virtual joystick: %s did not accept a state record%s\n",
                 device_.c_str(), Cause().c_str());
    return;
  }
  if (!joystick_.Expose()) {
    std::fprintf(messages_,
                 "corvane-decode: warning: %s did not create the virtual joystick; reports are still sent%s\n",
                 device_.c_str(), Cause().c_str());
  }
}

std::string JoystickOutput::Cause() const {
  const std::string cause = bus_.LastError();
  return cause.empty() ? cause : " (" + cause + ")";
}

void JoystickOutput::OnDecodedBuffer(const DecodedBuffer& buffer) {
  if (!open_) return;
  ++sent_;
  if (!joystick_.SetState(buffer.report)) ++refused_;
}

void JoystickOutput::OnEnd(const DecodeSummary&) {
  joystick_.Remove();
  joystick_.Close();
  open_ = false;
  if (refused_ > 0) {
    std::fprintf(messages_, "corvane-decode: warning: %s refused %llu of %llu reports\n", device_.c_str(),
                 static_cast<unsigned long long>(refused_), static_cast<unsigned long long>(sent_));
  }
}

}  // namespace corvane::tool
