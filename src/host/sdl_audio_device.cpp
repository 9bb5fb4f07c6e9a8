#include "host/sdl_audio_device.h"

#include <algorithm>
#include <chrono>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vantorel {

namespace {

std::int64_t steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// SDL's audio thread is asked for real-time scheduling, at a low real-time
// priority, when the system allows it; else for the highest nice value it
// may take. Drivers that time the device by sleeping (SDL's dummy driver)
// otherwise play up to 10-17% slow while every core is busy, as a sleeping
// thread wakes late; drivers fed by a sound server miss its deadlines.
// The callback is short and never waits, so it cannot hold a core.
ThreadPriority raiseAudioThreadPriority() {
#ifdef __linux__
    constexpr int kRealtimePriority = 10;
    sched_param param{};
    param.sched_priority = std::max(sched_get_priority_min(SCHED_FIFO), kRealtimePriority);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) {
        return ThreadPriority::realtime;
    }
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    for (int nice = -10; nice < 0; nice += 5) {
        if (::setpriority(PRIO_PROCESS, thread, nice) == 0) return ThreadPriority::raised;
    }
#endif
    return ThreadPriority::normal;
}

}  // namespace

// Holds SDL's audio lock, so the callback is not inside the rings meanwhile.
class SdlAudioDevice::AudioLock {
  public:
    explicit AudioLock(SDL_AudioDeviceID device) : device_(device) {
        if (device_ != 0) SDL_LockAudioDevice(device_);
    }
    ~AudioLock() {
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

  private:
    SDL_AudioDeviceID device_;
};

SdlAudioDevice::SdlAudioDevice(DebugOutputSink* debug) : debug_(debug) {}

SdlAudioDevice::~SdlAudioDevice() {
    close();
}

void SdlAudioDevice::reportMissing(const char* why) {
    if (reportedMissing_ || debug_ == nullptr) return;
    reportedMissing_ = true;
    const std::string text =
        std::string("Sound: no audio output (") + why + "); the machine runs silently\n";
    debug_->debugOutput(text.c_str());
}

bool SdlAudioDevice::open() {
    if (device_ != 0) return true;
    // The audio part brings SDL's event part with it, whose handlers would
    // swallow SIGINT and SIGTERM: the program must still end on them (a
    // desktop ending its session sends SIGTERM).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reportMissing(SDL_GetError());
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kDeviceBufferSamples;
    wanted.callback = &SdlAudioDevice::audioCallback;
    wanted.userdata = this;
    SDL_AudioSpec granted{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &granted, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device_ == 0) {
        reportMissing(SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    driverName_ = driver != nullptr ? driver : "";
    bufferSamples_ = granted.samples;
    priorityAsked_ = false;  // a new device, a new thread
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

// Closing the device ends its callback thread; only then are the rings freed.
void SdlAudioDevice::close() {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    rings_.releaseAll();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioDevice::createVoice(int voice, std::int32_t frameBytes) {
    if (device_ == 0) return false;
    AudioLock lock(device_);
    if (voice == 0) slotBytes_ = frameBytes;
    return rings_.create(voice, frameBytes);
}

bool SdlAudioDevice::playLooping(int voice) {
    AudioLock lock(device_);
    rings_.play(voice);
    return rings_.status(voice).present;
}

void SdlAudioDevice::stop(int voice) {
    AudioLock lock(device_);
    rings_.stop(voice);
}

// A cleared slot was never written: it is not measured when played.
void SdlAudioDevice::clearVoice(int voice) {
    AudioLock lock(device_);
    rings_.clear(voice);
    if (voice == 0) {
        for (auto& written : slotWrittenUs_) written.store(0, std::memory_order_relaxed);
    }
}

void SdlAudioDevice::setPosition(int voice, std::int32_t bytes) {
    AudioLock lock(device_);
    rings_.setPosition(voice, bytes);
}

VoiceStatus SdlAudioDevice::status(int voice) {
    return rings_.status(voice);
}

bool SdlAudioDevice::writeSlot(int voice, int slot, std::span<const std::int16_t> samples) {
    const bool written = rings_.write(voice, slot, samples);
    if (written && voice == 0 && slot >= 0 && slot < kRingSlots) {
        slotWrittenUs_[static_cast<std::size_t>(slot)].store(steadyMicroseconds(),
                                                             std::memory_order_relaxed);
    }
    return written;
}

AudioCounters SdlAudioDevice::counters() {
    return rings_.counters();
}

void SDLCALL SdlAudioDevice::audioCallback(void* self, Uint8* stream, int length) {
    auto* device = static_cast<SdlAudioDevice*>(self);
    device->play(reinterpret_cast<std::int16_t*>(stream),
                 static_cast<std::size_t>(length) / sizeof(std::int16_t));
}

void SdlAudioDevice::play(std::int16_t* out, std::size_t samples) {
    if (!priorityAsked_) {
        priorityAsked_ = true;
        threadPriority_.store(raiseAudioThreadPriority(), std::memory_order_relaxed);
    }
    const VoiceStatus before = rings_.status(0);
    rings_.mix(std::span<std::int16_t>(out, samples));
    if (before.present && before.playing) {
        measureHandOff(before.playPositionBytes, rings_.status(0).playPositionBytes);
    }
}

// For each slot of voice 0 the callback entered in this call: how long ago
// it was written (once per write).
void SdlAudioDevice::measureHandOff(std::int32_t fromBytes, std::int32_t toBytes) {
    if (slotBytes_ <= 0) return;
    const std::int64_t now = steadyMicroseconds();
    const std::int32_t ringBytes = slotBytes_ * kRingSlots;
    std::int32_t boundary = (fromBytes + slotBytes_ - 1) / slotBytes_ * slotBytes_;
    std::int32_t span = toBytes - fromBytes;
    if (span < 0) span += ringBytes;
    for (std::int32_t at = boundary - fromBytes; at < span; at += slotBytes_) {
        const auto slot = static_cast<std::size_t>(((fromBytes + at) % ringBytes) / slotBytes_);
        const std::int64_t written = slotWrittenUs_[slot].load(std::memory_order_relaxed);
        if (written == 0 || written == slotMeasuredUs_[slot]) continue;
        slotMeasuredUs_[slot] = written;
        const std::int64_t delay = now - written;
        const std::int64_t count = delayCount_.fetch_add(1, std::memory_order_relaxed);
        delaySumUs_.fetch_add(delay, std::memory_order_relaxed);
        if (count == 0 || delay < delayMinUs_.load(std::memory_order_relaxed))
            delayMinUs_.store(delay, std::memory_order_relaxed);
        if (count == 0 || delay > delayMaxUs_.load(std::memory_order_relaxed))
            delayMaxUs_.store(delay, std::memory_order_relaxed);
    }
}

HandOffDelay SdlAudioDevice::handOffDelay() const {
    HandOffDelay delay;
    delay.count = delayCount_.load();
    if (delay.count == 0) return delay;
    delay.minimumUs = delayMinUs_.load();
    delay.maximumUs = delayMaxUs_.load();
    delay.meanUs = delaySumUs_.load() / delay.count;
    return delay;
}

}  // namespace vantorel
