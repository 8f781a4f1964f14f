#include "zarn30speaker.h"

#include <cstdio>

#include "zarnstationlog.h"

const char kSpeechReadyText[] = "Kestrava Speech sub-system enabled and ready for work";
const char kSpeechUnavailableText[] = "Speech unavailable: answers are shown on screen";

void CZARN30Speaker::Start(const VoiceFactory &makeVoice, zarn::UiServices &ui) {
    m_voice = makeVoice ? makeVoice() : nullptr;
    m_disabled = m_voice == nullptr;
    if (m_disabled) {
        ui.MessageBox("Text-To-Speech Engine Initialization failed. Speech will not be enabled",
                      "TTS Init Failed", zarn::kBoxOk | zarn::kBoxIconInformation);
        qCWarning(lcSpeech) << "speech unavailable: no voice could start";
        Show(kSpeechUnavailableText);
        return;
    }
    m_voice->onFailure = [this](const std::string &why) { VoiceFailed(why); };
    Speak(kSpeechReadyText);
}

void CZARN30Speaker::VoiceFailed(const std::string &why) {
    if (m_disabled) {
        return;  // said once
    }
    m_disabled = true;
    qCWarning(lcSpeech).noquote() << "speech failed:" << QString::fromStdString(why);
    Show(kSpeechUnavailableText);
}

void CZARN30Speaker::Show(const std::string &text) {
    m_status = text;
    if (onStatus) {
        onStatus(text);
    }
}

void CZARN30Speaker::Speak(const std::string &text) {
    if (text.empty()) {
        return;
    }
    if (m_answering) {
        m_said.push_back(text);  // spoken with the answer, after its tone
        return;
    }
    if (!m_disabled) {
        m_voice->Speak(text);
    }
    Show(text);
}

void CZARN30Speaker::BeginScan(const std::string &scanned) {
    m_answering = zarn::ScanAnswer{scanned, "", zarn::AnswerKind::Note};
    m_said.clear();
}

void CZARN30Speaker::SetTones(bool accepted, bool refused) {
    m_toneAccepted = accepted;
    m_toneRefused = refused;
}

zarn::ScanAnswer CZARN30Speaker::EndScan(zarn::AnswerKind kind, const std::string &unspoken) {
    zarn::ScanAnswer answer = m_answering.value_or(zarn::ScanAnswer{});
    m_answering.reset();
    answer.kind = kind;
    const bool refusal = kind == zarn::AnswerKind::Refused || kind == zarn::AnswerKind::Warning;
    const bool tone =
        kind == zarn::AnswerKind::Accepted ? m_toneAccepted : refusal && m_toneRefused;
    if (!m_disabled && tone) {
        m_voice->Tone(kind);
    }
    for (const std::string &text : m_said) {
        answer.text += (answer.text.empty() ? "" : "; ") + text;
        if (!m_disabled) {
            m_voice->Speak(text);
        }
    }
    if (answer.text.empty()) {
        answer.text = unspoken;
    }
    Show(answer.text);
    m_said.clear();
    return answer;
}
