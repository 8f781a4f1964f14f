// The operator's answers: spoken by the voice, shown in the status bar's first pane, and each
// scan's answer handed on whole (to the scan dialog) with a tone for its kind before it is
// spoken. Nothing depends on hearing: with speech off or failed, every answer is still shown.
#ifndef ZARN_TOLLGATE_ZARN30SPEAKER_H
#define ZARN_TOLLGATE_ZARN30SPEAKER_H

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zarnscantarget.h"
#include "zarnuiservices.h"
#include "zarnvoice.h"

extern const char kSpeechReadyText[];        // the start message
extern const char kSpeechUnavailableText[];  // shown when the voice cannot speak

class CZARN30Speaker {
public:
    // Makes the voice; null when it cannot start.
    using VoiceFactory = std::function<std::unique_ptr<zarn::Voice>()>;

    // Creates the voice and says the start message; without a voice, tells the operator
    // once ("TTS Init Failed") and answers on screen only.
    void Start(const VoiceFactory &makeVoice, zarn::UiServices &ui);
    // Speaks a text and shows it; while a scan is answered the text is kept for its answer.
    void Speak(const std::string &text);

    // Around the answer to one scan: what is said in between is its answer, spoken after the
    // kind's tone (when tones are on for it). unspoken is shown when nothing was said (a
    // warning the operator turned off).
    void BeginScan(const std::string &scanned);
    zarn::ScanAnswer EndScan(zarn::AnswerKind kind, const std::string &unspoken = "");
    // Tones before accepted and before refused answers (warnings count as refused).
    void SetTones(bool accepted, bool refused);

    bool SpeechDisabled() const { return m_disabled; }
    // Told of every text shown in the status bar's first pane.
    std::function<void(const std::string &)> onStatus;
    const std::string &StatusText() const { return m_status; }

private:
    void Show(const std::string &text);
    void VoiceFailed(const std::string &why);

    std::unique_ptr<zarn::Voice> m_voice;
    bool m_disabled = true;
    bool m_toneAccepted = false;
    bool m_toneRefused = true;
    std::string m_status;
    std::optional<zarn::ScanAnswer> m_answering;
    std::vector<std::string> m_said;
};

#endif
