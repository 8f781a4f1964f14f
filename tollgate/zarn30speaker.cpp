#include "zarn30speaker.h"

const char kSpeechReadyText[] = "Kestrava Speech sub-system enabled and ready for work";

void CZARN30Speaker::Start(const VoiceFactory &makeVoice, zarn::UiServices &ui) {
    m_voice = makeVoice ? makeVoice() : nullptr;
    m_disabled = m_voice == nullptr;
    if (m_disabled) {
        ui.MessageBox("Text-To-Speech Engine Initialization failed. Speech will not be enabled",
                      "TTS Init Failed", zarn::kBoxOk | zarn::kBoxIconInformation);
        return;
    }
    Speak(kSpeechReadyText);
}

void CZARN30Speaker::Speak(const std::string &text) {
    if (m_disabled || text.empty()) {
        return;
    }
    m_voice->Speak(text);
    m_status = text;
    if (onStatus) {
        onStatus(text);
    }
}
