// The voice that answers the operator. Speak returns at once; texts queue behind each other.
#ifndef ZARN_PLATFORM_ZARNVOICE_H
#define ZARN_PLATFORM_ZARNVOICE_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zarnscantarget.h"

namespace zarn {

class Voice {
public:
    virtual ~Voice() = default;
    virtual void Speak(const std::string &utf8) = 0;
    // A short sound that tells the kind of an answer before it is spoken.
    virtual void Tone(AnswerKind) {}
    // Told once when the voice finds it cannot speak (no engine, no sound device), so the
    // program says so on screen; the voice speaks no more after it.
    std::function<void(const std::string &why)> onFailure;
};

// The marker a speech log writes for a tone.
std::string ToneMarker(AnswerKind kind);

// The station's voice: speech-dispatcher through Qt TextToSpeech when it is there, else
// espeak-ng; the answers' tones (accepted.wav, refused.wav of soundsFolder) before the texts
// that follow them. Null with error set when the machine has no sound device or no engine
// starts.
std::unique_ptr<Voice> CreateStationVoice(const std::string &soundsFolder, std::string &error);

// The espeak-ng voice, playing through the sound device. Null with error set when the engine
// cannot start (the caller then runs silently).
std::unique_ptr<Voice> CreateEspeakVoice(std::string &error);

// Turns text into 16-bit samples in memory with espeak-ng, without a sound device; the sample
// rate is returned through rate. False with error when the engine cannot start. A process uses
// either this or a playing voice.
bool SynthesizeToSamples(const std::string &utf8, std::vector<short> &samples, int &rate,
                         std::string &error);

// Writes every text as one line of a file, at once (a speech log for replays and set-ups).
// Null with error when the file cannot be written.
std::unique_ptr<Voice> CreateFileVoice(const std::string &path, std::string &error);

// Keeps every text it is given, for tests and for running without sound.
class RecordingVoice : public Voice {
public:
    void Speak(const std::string &utf8) override { spoken.push_back(utf8); }
    void Tone(AnswerKind kind) override { tones.push_back(ToneMarker(kind)); }
    std::vector<std::string> spoken;
    std::vector<std::string> tones;
};

}  // namespace zarn

#endif
