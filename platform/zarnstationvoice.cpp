// The station's voice: Qt TextToSpeech over speech-dispatcher when it is there (it queues
// utterances and shares the sound device with screen readers), else espeak-ng playing itself;
// the tones of the answers through Qt Multimedia, each before the text that follows it.
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTextToSpeech>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <deque>
#include <filesystem>

#include "zarnvoice.h"

namespace zarn {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kToneLength = std::chrono::milliseconds(450);  // the longer sound, and a breath

// Speech-dispatcher through Qt TextToSpeech. Qt 6.4's say() cuts off what is being said, so the
// texts wait here and go one by one.
class DispatcherVoice : public Voice {
public:
    explicit DispatcherVoice(QTextToSpeech *speech) : m_speech(speech) {
        QObject::connect(m_speech, &QTextToSpeech::stateChanged, m_speech,
                         [this](QTextToSpeech::State state) { Changed(state); });
    }
    ~DispatcherVoice() override { delete m_speech; }
    DispatcherVoice(const DispatcherVoice &) = delete;
    DispatcherVoice &operator=(const DispatcherVoice &) = delete;

    void Speak(const std::string &utf8) override {
        m_waiting.push_back(QString::fromStdString(utf8));
        if (m_speech->state() == QTextToSpeech::Ready) {
            SayNext();
        }
    }

private:
    void SayNext() {
        if (!m_waiting.empty()) {
            m_speech->say(m_waiting.front());
            m_waiting.pop_front();
        }
    }
    void Changed(QTextToSpeech::State state) {
        if (state == QTextToSpeech::Error) {
            m_waiting.clear();
            if (onFailure) {
                onFailure("speech-dispatcher stopped answering");
            }
        } else if (state == QTextToSpeech::Ready) {
            SayNext();
        }
    }
    QTextToSpeech *m_speech;
    std::deque<QString> m_waiting;
};

std::unique_ptr<Voice> MakeDispatcherVoice(std::string &error) {
    if (!QTextToSpeech::availableEngines().contains("speechd")) {
        error = "speech-dispatcher is not installed for Qt";
        return nullptr;
    }
    auto *speech = new QTextToSpeech("speechd");
    if (speech->state() == QTextToSpeech::Error) {
        delete speech;
        error = "speech-dispatcher did not start";
        return nullptr;
    }
    return std::make_unique<DispatcherVoice>(speech);
}

// The tones in front of a speaking voice: a text given while a tone still sounds waits for it.
class StationVoice : public Voice {
public:
    StationVoice(std::unique_ptr<Voice> speech, const std::string &sounds)
        : m_speech(std::move(speech)) {
        m_speech->onFailure = [this](const std::string &why) {
            if (onFailure) {
                onFailure(why);
            }
        };
        for (auto &[effect, name] :
             {std::pair{&m_accepted, "accepted.wav"}, std::pair{&m_refused, "refused.wav"}}) {
            const std::filesystem::path file = std::filesystem::path(sounds) / name;
            if (std::filesystem::exists(file)) {
                effect->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
            }
        }
        m_release.setSingleShot(true);
        QObject::connect(&m_release, &QTimer::timeout, [this]() { Release(); });
    }

    void Tone(AnswerKind kind) override {
        QSoundEffect &effect = kind == AnswerKind::Accepted ? m_accepted : m_refused;
        if (effect.source().isEmpty() || effect.status() == QSoundEffect::Error) {
            return;  // no tone installed or playable: the answer is spoken at once
        }
        effect.play();
        m_toneUntil = Clock::now() + kToneLength;
        m_release.start(static_cast<int>(kToneLength.count()));
    }

    void Speak(const std::string &utf8) override {
        if (Clock::now() < m_toneUntil) {
            m_held.push_back(utf8);
            return;
        }
        m_speech->Speak(utf8);
    }

private:
    void Release() {
        for (const std::string &text : m_held) {
            m_speech->Speak(text);
        }
        m_held.clear();
    }
    std::unique_ptr<Voice> m_speech;
    QSoundEffect m_accepted;
    QSoundEffect m_refused;
    QTimer m_release;
    Clock::time_point m_toneUntil{};
    std::vector<std::string> m_held;
};

// Whether the machine has a sound device at all: the desktop's sound server lists its outputs;
// a machine without one may still have cards that ALSA plays to.
bool HasSoundDevice() {
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        return true;
    }
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator("/dev/snd", ignored)) {
        if (entry.path().filename().string().rfind("pcmC", 0) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<Voice> CreateStationVoice(const std::string &soundsFolder, std::string &error) {
    if (!HasSoundDevice()) {
        error = "there is no sound device";
        return nullptr;
    }
    std::string dispatcher;
    std::unique_ptr<Voice> speech = MakeDispatcherVoice(dispatcher);
    if (!speech) {
        speech = CreateEspeakVoice(error);
        if (!speech) {
            error = dispatcher + "; " + error;
            return nullptr;
        }
    }
    return std::make_unique<StationVoice>(std::move(speech), soundsFolder);
}

}  // namespace zarn
