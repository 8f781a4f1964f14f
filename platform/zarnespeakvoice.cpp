// espeak-ng behind the Voice interface. The engine is one per process: it is started in the
// mode the first user asks for and switched when another mode is needed.
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <cstring>
#include <mutex>

#include "zarnvoice.h"

namespace zarn {
namespace {

std::mutex engineMutex;
int engineMode = -1;  // the espeak_AUDIO_OUTPUT the engine runs in; -1 = not started
int engineRate = 0;
std::vector<short> *collecting = nullptr;

// The engine's status as text.
std::string StatusText(espeak_ng_STATUS status, espeak_ng_ERROR_CONTEXT context) {
    char text[512] = "";
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    espeak_ng_ClearErrorContext(&context);
    return text;
}

// Started through espeak-ng's own interface, which returns its failures: the older
// espeak_Initialize ends the whole process when the voice data cannot be read.
bool StartEngine(espeak_AUDIO_OUTPUT mode, std::string &error) {
    if (engineMode == mode) {
        return true;
    }
    if (engineMode != -1) {
        espeak_Terminate();
        engineMode = -1;
    }
    espeak_ng_InitializePath(nullptr);  // ESPEAK_DATA_PATH, else the installed data
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    if (status != ENS_OK) {
        error = "the espeak-ng engine could not start: " + StatusText(status, context);
        return false;
    }
    status = espeak_ng_InitializeOutput(
        mode == AUDIO_OUTPUT_PLAYBACK ? ENOUTPUT_MODE_SPEAK_AUDIO : ENOUTPUT_MODE_SYNCHRONOUS, 0,
        nullptr);
    if (status == ENS_OK) {
        status = espeak_ng_SetVoiceByName("en");
    }
    if (status != ENS_OK) {
        error = "espeak-ng cannot speak: " + StatusText(status, nullptr);
        espeak_Terminate();
        return false;
    }
    engineMode = mode;
    engineRate = espeak_ng_GetSampleRate();
    return true;
}

int CollectSamples(short *samples, int count, espeak_EVENT *) {
    if (collecting && samples && count > 0) {
        collecting->insert(collecting->end(), samples, samples + count);
    }
    return 0;
}

espeak_ERROR SynthesizeUtf8(const std::string &utf8) {
    return espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                        nullptr, nullptr);
}

class EspeakVoice : public Voice {
public:
    void Speak(const std::string &utf8) override {
        std::lock_guard lock(engineMutex);
        std::string error;
        if (StartEngine(AUDIO_OUTPUT_PLAYBACK, error)) {
            SynthesizeUtf8(utf8);  // queued by the engine; returns at once
        }
    }
    ~EspeakVoice() override {
        std::lock_guard lock(engineMutex);
        if (engineMode == AUDIO_OUTPUT_PLAYBACK) {
            espeak_Synchronize();
        }
    }
};

}  // namespace

std::unique_ptr<Voice> CreateEspeakVoice(std::string &error) {
    std::lock_guard lock(engineMutex);
    if (!StartEngine(AUDIO_OUTPUT_PLAYBACK, error)) {
        return nullptr;
    }
    return std::make_unique<EspeakVoice>();
}

bool SynthesizeToSamples(const std::string &utf8, std::vector<short> &samples, int &rate,
                         std::string &error) {
    std::lock_guard lock(engineMutex);
    if (!StartEngine(AUDIO_OUTPUT_SYNCHRONOUS, error)) {
        return false;
    }
    samples.clear();
    collecting = &samples;
    espeak_SetSynthCallback(CollectSamples);
    const espeak_ERROR result = SynthesizeUtf8(utf8);
    collecting = nullptr;
    rate = engineRate;
    if (result != EE_OK) {
        error = "espeak-ng could not synthesize the text";
        return false;
    }
    return true;
}

}  // namespace zarn
