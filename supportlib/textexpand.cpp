// ExpandText: $variable and %ENVIRONMENT references.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "variables.h"

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

size_t NameLength(const char *text) {
    size_t length = 0;
    while (length < ZARN_VARIABLE_NAME_MAX && IsNameCharacter(text[length])) {
        ++length;
    }
    return length;
}

// Writes into the caller's buffer and never past size - 1 characters.
class Output {
public:
    Output(char *buffer, size_t size) : m_buffer(buffer), m_size(size) { m_buffer[0] = '\0'; }

    void Character(char c) {
        if (m_used + 1 < m_size) {
            m_buffer[m_used++] = c;
            m_buffer[m_used] = '\0';
        } else {
            m_complete = false;
        }
    }

    // A replacement goes in whole or not at all.
    void Whole(const std::string &text) {
        if (m_used + text.size() < m_size) {
            std::memcpy(m_buffer + m_used, text.data(), text.size());
            m_used += text.size();
            m_buffer[m_used] = '\0';
        } else {
            m_complete = false;
        }
    }

    bool Complete() const { return m_complete; }

private:
    char *m_buffer;
    size_t m_size;
    size_t m_used = 0;
    bool m_complete = true;
};

// The text a reference stands for; replaced is false when it is written back unchanged.
std::string Replacement(VariablesContext *context, char sign, const std::string &name,
                        int noEnvironment, bool &replaced) {
    replaced = true;
    if (sign == '$') {
        if (context) {
            // The value lives in the shared configuration: copy it before another thread
            // may replace it.
            context->lock.Enter(&context->lock);
            const char *value = GetVariable(context, name.c_str());
            std::string copy = value ? value : "";
            context->lock.Leave(&context->lock);
            if (value) {
                return copy;
            }
        }
        replaced = false;
        return "$" + name;
    }
    const char *value = noEnvironment ? nullptr : std::getenv(name.c_str());
    return value ? std::string(value) : "***BADENV:" + name + "***";
}

}  // namespace

extern "C" int ExpandText(VariablesContext *context, const char *source, char *destination,
                          size_t size, int noEnvironment) {
    if (destination == nullptr || size == 0) {
        return 0;
    }
    Output out(destination, size);
    char literalSign = '\0';  // a sign just written as itself, which makes "$$name" plain text
    for (const char *c = source ? source : ""; *c != '\0';) {
        const char sign = *c;
        if (sign != '$' && sign != '%') {
            out.Character(*c++);
            literalSign = '\0';
            continue;
        }
        const size_t length = NameLength(c + 1);
        if (length == 0) {
            out.Character(*c++);
            literalSign = sign;
            continue;
        }
        const std::string name(c + 1, length);
        c += 1 + length;
        if (literalSign == sign) {
            for (char n : name) {
                out.Character(n);
            }
            literalSign = '\0';
            continue;
        }
        bool replaced = false;
        out.Whole(Replacement(context, sign, name, noEnvironment, replaced));
        if (replaced && *c == '.') {
            ++c;
        }
        literalSign = '\0';
    }
    return out.Complete() ? 1 : 0;
}
