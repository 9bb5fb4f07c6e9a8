#include "app/host_devices.h"

#include <cstdio>

#include "app/frame_scheduler.h"
#include "machine/machine.h"

namespace vantorel {

HostDevices::HostDevices(Machine& machine, FrameScheduler* scheduler, AudioDevice* audio,
                         JoystickSource* joysticks)
    : machine_(machine), scheduler_(scheduler), audio_(audio), joysticks_(joysticks) {}

HostDevices::~HostDevices() {
    releaseSound();
    printer_.close();
}

void HostDevices::configurePrinter(const std::filesystem::path& lprintFolder) {
    const MachineConfig& config = machine_.config();
    printer_.configure(config, printerFilePath(config, lprintFolder));
    MachineHost host = machine_.host();
    host.printer = printer_.connected() ? &printer_ : nullptr;
    machine_.attachHost(host);
}

bool HostDevices::initSound() {
    if (!sound_) {
        sound_ = std::make_unique<SoundOutput>(machine_.config(), machine_.timing(), audio_);
        sound_->ay().useChip(&machine_.ayChip());  // the AY's state is the machine's
    }
    attachSpeaker(sound_.get());
    sound_->setMuted(machine_.config().muteflag);
    const bool started = sound_->initSound();
    followSound();  // with sound, the frame period follows the audio frames
    return started;
}

bool HostDevices::restartSound() {
    ++restartSoundCalls_;
    if (!sound_) return initSound();
    sound_->setMuted(machine_.config().muteflag);
    const bool started = sound_->restartSound();
    if (recorder_) recorder_->restart();  // the file follows a new frame rate too
    followSound();
    return started;
}

void HostDevices::setMuted(bool muted) {
    machine_.config().muteflag = muted;
    if (sound_) sound_->setMuted(muted);
}

bool HostDevices::startSoundRecording(const std::filesystem::path& path) {
    if (recorder_) return false;
    auto recorder = std::make_unique<WavRecorder>(machine_);
    if (!recorder->open(path)) return false;
    recorder_ = std::move(recorder);
    recordingPath_ = path;
    return true;
}

bool HostDevices::stopSoundRecording() {
    if (!recorder_) return false;
    const bool written = recorder_->finish();
    recorder_.reset();
    return written;
}

void HostDevices::stopSound() {
    ++stopSoundCalls_;
    if (sound_) sound_->stopSound();
}

void HostDevices::releaseSound() {
    stopSoundRecording();  // before the output it hands the sound on to goes
    if (!sound_) return;
    DebugOutputSink* debug = machine_.host().debug;
    if (debug != nullptr && sound_->deviceOpen()) {
        debug->debugOutput(soundReport().c_str());
        debug->debugOutput("\n");
    }
    sound_->releaseSound();
    if (machine_.host().speaker == sound_.get()) attachSpeaker(nullptr);
    if (scheduler_ != nullptr) scheduler_->followSound(nullptr);
    sound_.reset();
}

void HostDevices::followSound() {
    if (scheduler_ != nullptr) scheduler_->followSound(sound_.get());
}

namespace {

const char* priorityName(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::realtime:
            return "real-time";
        case ThreadPriority::raised:
            return "raised-priority";
        case ThreadPriority::normal:
            break;
    }
    return "normal-priority";
}

}  // namespace

std::string HostDevices::soundReport() const {
    if (!sound_ || audio_ == nullptr) return {};
    const AudioCounters counters = audio_->counters();
    const AudioDeviceInfo info = audio_->info();
    const auto& leads = sound_->leadControl().leadHistogram();
    char text[512];
    int length = std::snprintf(
        text, sizeof text,
        "Sound: %s, buffer %d samples, %s thread, %lld frames; underruns %lld, overwrites %lld, "
        "restarts %lld; rate %+d ppm; lead %d slots (most %d, grew %lld times); slot written "
        "to callback %lld-%lld us (mean %lld); leads seen:",
        info.driverName.c_str(), info.bufferSamples, priorityName(info.threadPriority),
        static_cast<long long>(sound_->framesWritten()), static_cast<long long>(counters.underruns),
        static_cast<long long>(counters.overwrites),
        static_cast<long long>(sound_->leadControl().resyncs()), sound_->leadControl().ratePpm(),
        sound_->leadControl().leadSlots(), sound_->leadControl().mostLeadSlots(),
        static_cast<long long>(sound_->leadControl().leadGrowths()),
        static_cast<long long>(info.handOff.minimumUs),
        static_cast<long long>(info.handOff.maximumUs),
        static_cast<long long>(info.handOff.meanUs));
    for (std::size_t lead = 0; lead < leads.size() && length > 0; ++lead) {
        if (leads[lead] == 0 || length >= static_cast<int>(sizeof text)) continue;
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                                " %zu:%lld", lead, static_cast<long long>(leads[lead]));
    }
    return text;
}

bool HostDevices::initJoysticks() {
    attachJoysticks(joysticks_);
    return joysticks_ != nullptr && joysticks_->initJoysticks();
}

void HostDevices::setJoysticksAcquired(bool acquired) {
    if (joysticks_ != nullptr) joysticks_->setJoysticksAcquired(acquired);
}

void HostDevices::releaseJoysticks() {
    if (joysticks_ != nullptr) joysticks_->releaseJoysticks();
    attachJoysticks(nullptr);
}

void HostDevices::attachSpeaker(SpeakerSink* speaker) {
    MachineHost host = machine_.host();
    host.speaker = speaker;
    machine_.attachHost(host);
}

void HostDevices::attachJoysticks(JoystickSource* source) {
    MachineHost host = machine_.host();
    host.joysticks = source;
    machine_.attachHost(host);
}

}  // namespace vantorel
