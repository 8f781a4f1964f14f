// The speech log: each spoken text is one line of a file, flushed as it is written, so that a
// log read while the program runs (or after it was killed) holds everything said so far.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "zarnvoice.h"

namespace zarn {
namespace {

class FileVoice : public Voice {
public:
    explicit FileVoice(FILE *file) : m_file(file) {}
    ~FileVoice() override { std::fclose(m_file); }
    FileVoice(const FileVoice &) = delete;
    FileVoice &operator=(const FileVoice &) = delete;
    void Speak(const std::string &utf8) override {
        // A text is one line: line breaks inside it become spaces.
        std::string line = utf8;
        for (char &c : line) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        std::fputs(line.c_str(), m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }

    void Tone(AnswerKind kind) override { Speak(ToneMarker(kind)); }

private:
    FILE *m_file;
};

}  // namespace

std::string ToneMarker(AnswerKind kind) {
    switch (kind) {
        case AnswerKind::Accepted:
            return "[tone: accepted]";
        case AnswerKind::Note:
            return "[tone: note]";
        default:
            return "[tone: refused]";
    }
}

std::unique_ptr<Voice> CreateFileVoice(const std::string &path, std::string &error) {
    FILE *file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<FileVoice>(file);
}

}  // namespace zarn
