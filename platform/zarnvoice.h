// The voice that answers the operator. Speak returns at once; texts queue behind each other.
#ifndef ZARN_PLATFORM_ZARNVOICE_H
#define ZARN_PLATFORM_ZARNVOICE_H

#include <memory>
#include <string>
#include <vector>

namespace zarn {

class Voice {
public:
    virtual ~Voice() = default;
    virtual void Speak(const std::string &utf8) = 0;
};

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
    std::vector<std::string> spoken;
};

}  // namespace zarn

#endif
