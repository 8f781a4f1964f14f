// The operator's answers: spoken by the voice and shown in the status bar's first pane.
#ifndef ZARN_TOLLGATE_ZARN30SPEAKER_H
#define ZARN_TOLLGATE_ZARN30SPEAKER_H

#include <functional>
#include <memory>
#include <string>

#include "zarnuiservices.h"
#include "zarnvoice.h"

extern const char kSpeechReadyText[];  // the start message

class CZARN30Speaker {
public:
    // Makes the voice; null when it cannot start.
    using VoiceFactory = std::function<std::unique_ptr<zarn::Voice>()>;

    // Creates the voice and says the start message; without a voice, tells the operator
    // once ("TTS Init Failed") and runs silently.
    void Start(const VoiceFactory &makeVoice, zarn::UiServices &ui);
    // Nothing happens for an empty text or without a voice, not even on the status bar.
    void Speak(const std::string &text);

    bool SpeechDisabled() const { return m_disabled; }
    // Told of every text shown in the status bar's first pane.
    std::function<void(const std::string &)> onStatus;
    const std::string &StatusText() const { return m_status; }

private:
    std::unique_ptr<zarn::Voice> m_voice;
    bool m_disabled = true;
    std::string m_status;
};

#endif
