#include "host/sdl_joysticks.h"

#include <SDL.h>

#include <algorithm>
#include <string>

#include "input/joystick.h"

namespace vantorel {

namespace {

constexpr Uint32 kSdlJoystickParts = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

// A game controller's six fire buttons, in the order of joystick buttons 0-5.
constexpr std::array<SDL_GameControllerButton, kJoystickButtonCount> kControllerFireButtons = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
};

// The D-pad overrides the stick on its axis while one of its buttons is held.
std::int32_t steerWithPad(std::int32_t stick, bool minus, bool plus) {
    if (minus && !plus) return -kJoystickAxisLimit;
    if (plus && !minus) return kJoystickAxisLimit;
    return stick;
}

JoystickReading readController(SDL_GameController* pad) {
    const auto held = [pad](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(pad, button) != 0;
    };
    JoystickReading reading;
    reading.x =
        steerWithPad(scaleSdlAxis(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX)),
                     held(SDL_CONTROLLER_BUTTON_DPAD_LEFT), held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    reading.y =
        steerWithPad(scaleSdlAxis(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY)),
                     held(SDL_CONTROLLER_BUTTON_DPAD_UP), held(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    for (int button = 0; button < kJoystickButtonCount; ++button) {
        if (held(kControllerFireButtons[static_cast<std::size_t>(button)])) {
            reading.buttons |= 1u << button;
        }
    }
    return reading;
}

// Axes 0 and 1 and buttons 0-5, as far as the device has them (asking for
// more would only set SDL's error text).
JoystickReading readPlainJoystick(SDL_Joystick* stick) {
    const int axes = SDL_JoystickNumAxes(stick);
    const int buttons = std::min(SDL_JoystickNumButtons(stick), kJoystickButtonCount);
    JoystickReading reading;
    if (axes > 0) reading.x = scaleSdlAxis(SDL_JoystickGetAxis(stick, 0));
    if (axes > 1) reading.y = scaleSdlAxis(SDL_JoystickGetAxis(stick, 1));
    for (int button = 0; button < buttons; ++button) {
        if (SDL_JoystickGetButton(stick, button) != 0) reading.buttons |= 1u << button;
    }
    return reading;
}

}  // namespace

std::int32_t scaleSdlAxis(std::int32_t value) {
    const std::int32_t range = value < 0 ? 32768 : 32767;
    return std::clamp(value * kJoystickAxisLimit / range, -kJoystickAxisLimit, kJoystickAxisLimit);
}

bool SdlJoysticks::initJoysticks() {
    if (started_) return true;
    // SDL's event part would otherwise take over Ctrl+C and the terminate
    // signal from the Qt program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(kSdlJoystickParts) != 0) {
        debugLine("SDL joystick support could not be started", SDL_GetError());
        return false;
    }
    started_ = true;
    // Nothing drains SDL's event queue: the states are read directly.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    findNewDevices();
    return true;
}

void SdlJoysticks::releaseJoysticks() {
    if (!started_) return;
    for (int slot = 0; slot < kJoystickSlots; ++slot) closeSlot(slot);
    SDL_QuitSubSystem(kSdlJoystickParts);
    started_ = false;
}

void SdlJoysticks::updateJoysticks() {
    if (!started_) return;
    SDL_JoystickUpdate();  // new states, and SDL's own look for added or removed devices
    dropRemovedDevices();
    if (!slots_.full()) findNewDevices();
}

std::optional<JoystickReading> SdlJoysticks::readJoystickDevice(int slot) {
    if (!started_ || !acquired_ || slot < 0 || slot >= kJoystickSlots) return std::nullopt;
    const JoystickSlot& held = slots_.slot(slot);
    if (!held.usable || !deviceAttached(slot)) return std::nullopt;
    const auto id = static_cast<SDL_JoystickID>(held.deviceId);
    if (controller_[static_cast<std::size_t>(slot)]) {
        SDL_GameController* pad = SDL_GameControllerFromInstanceID(id);
        if (pad == nullptr) return std::nullopt;
        return readController(pad);
    }
    SDL_Joystick* stick = SDL_JoystickFromInstanceID(id);
    if (stick == nullptr) return std::nullopt;
    return readPlainJoystick(stick);
}

// Devices in SDL's order, each not yet in a slot, while a slot is free.
void SdlJoysticks::findNewDevices() {
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count && !slots_.full(); ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0 || slots_.slotOf(id) >= 0) continue;
        openDevice(index);
    }
}

// A device that cannot be opened keeps its slot, unusable, until it is
// pulled out.
void SdlJoysticks::openDevice(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    bool asController = false;
    bool opened = false;
    if (SDL_IsGameController(deviceIndex) && SDL_GameControllerOpen(deviceIndex) != nullptr) {
        asController = true;
        opened = true;
    } else if (SDL_JoystickOpen(deviceIndex) != nullptr) {
        opened = true;
    }
    const int slot = slots_.place(id, opened);
    if (slot < 0) return;
    controller_[static_cast<std::size_t>(slot)] = asController;
    if (!opened) debugLine("a joystick could not be opened", SDL_GetError());
}

void SdlJoysticks::dropRemovedDevices() {
    for (int slot = 0; slot < kJoystickSlots; ++slot) {
        if (slots_.slot(slot).deviceId == kNoJoystickDevice) continue;
        if (!deviceAttached(slot)) closeSlot(slot);
    }
}

// An open device knows whether it is still attached; one that could not be
// opened is looked for in SDL's list.
bool SdlJoysticks::deviceAttached(int slot) const {
    const JoystickSlot& held = slots_.slot(slot);
    const auto id = static_cast<SDL_JoystickID>(held.deviceId);
    if (held.usable) {
        SDL_Joystick* stick = SDL_JoystickFromInstanceID(id);
        return stick != nullptr && SDL_JoystickGetAttached(stick) == SDL_TRUE;
    }
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) return true;
    }
    return false;
}

void SdlJoysticks::closeSlot(int slot) {
    const JoystickSlot held = slots_.slot(slot);
    if (held.deviceId == kNoJoystickDevice) return;
    const auto id = static_cast<SDL_JoystickID>(held.deviceId);
    if (held.usable && controller_[static_cast<std::size_t>(slot)]) {
        if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(id)) {
            SDL_GameControllerClose(pad);
        }
    } else if (held.usable) {
        if (SDL_Joystick* stick = SDL_JoystickFromInstanceID(id)) SDL_JoystickClose(stick);
    }
    slots_.remove(held.deviceId);
    controller_[static_cast<std::size_t>(slot)] = false;
}

void SdlJoysticks::debugLine(const char* what, const char* detail) const {
    if (debug_ == nullptr) return;
    const std::string line = std::string("Joysticks: ") + what + ": " + detail + "\n";
    debug_->debugOutput(line.c_str());
}

}  // namespace vantorel
