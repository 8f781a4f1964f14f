#include "variables.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "configread.h"
#include "dateexpr.h"
#include "packeddate.h"
#include "zarnclock.h"

namespace {

const char kGroup[] = "variable";

class LockGuard {
public:
    explicit LockGuard(VariablesContext *context) : m_lock(&context->lock) {
        m_lock->Enter(m_lock);
    }
    ~LockGuard() { m_lock->Leave(m_lock); }
    LockGuard(const LockGuard &) = delete;
    LockGuard &operator=(const LockGuard &) = delete;

private:
    ZarnLock *m_lock;
};

config_setting_t *VariablesGroup(VariablesContext *context) {
    return config_lookup(context->configuration, kGroup);
}

config_setting_t *VariableSetting(VariablesContext *context, const char *name) {
    config_setting_t *group = VariablesGroup(context);
    if (group == nullptr || name == nullptr) {
        return nullptr;
    }
    config_setting_t *variable = config_setting_get_member(group, name);
    return variable && config_setting_is_group(variable) ? variable : nullptr;
}

const char *StringMember(config_setting_t *variable, const char *member, const char *fallback) {
    const char *text = nullptr;
    return config_setting_lookup_string(variable, member, &text) == CONFIG_TRUE ? text : fallback;
}

// Replaces the variable's "value" member with text; returns the stored copy.
const char *StoreValue(config_setting_t *variable, const char *text) {
    config_setting_t *value = config_setting_get_member(variable, "value");
    if (value && config_setting_type(value) != CONFIG_TYPE_STRING) {
        config_setting_remove(variable, "value");
        value = nullptr;
    }
    if (value == nullptr) {
        value = config_setting_add(variable, "value", CONFIG_TYPE_STRING);
    }
    if (value == nullptr || config_setting_set_string(value, text) != CONFIG_TRUE) {
        return nullptr;
    }
    return config_setting_get_string(value);
}

// A cut after length bytes must not leave half of a UTF-8 character behind.
void CutAtCharacterBoundary(char *text, size_t length) {
    size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0u) == 0x80u) {
        --start;
    }
    if (start > 0) {
        const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
        const size_t needed = lead >= 0xF0u ? 4 : lead >= 0xE0u ? 3 : lead >= 0xC0u ? 2 : 1;
        if (start - 1 + needed > length) {
            length = start - 1;
        }
    }
    text[length] = '\0';
}

const char *RecomputeDateValue(config_setting_t *variable) {
    uint32_t date = 0;
    int kind = 0;
    if (!ParseDateExpression(StringMember(variable, "date", "*"), 0, &date, &kind)) {
        date = PackTime(ZarnNow());
    }
    char text[ZARN_VARIABLE_VALUE_SIZE];
    FormatPackedDate(text, sizeof text, date, StringMember(variable, "format", "%Y-%m-%d"));
    config_setting_remove(variable, "value");
    return StoreValue(variable, text);
}

void DestroyOperation(VariablesContext *context) {
    VariablesDestroy(context);
}

void ResetConfiguration(config_t *configuration) {
    config_destroy(configuration);
    config_init(configuration);
}

}  // namespace

extern "C" int VariablesInit(VariablesContext *context, config_t *configuration, int shared) {
    std::memset(context, 0, sizeof *context);
    if (!ZarnLockCreate(&context->lock)) {
        return 0;
    }
    if (configuration != nullptr && shared) {
        context->configuration = configuration;
    } else {
        context->configuration = static_cast<config_t *>(std::malloc(sizeof(config_t)));
        if (context->configuration == nullptr) {
            ZarnLockDestroy(&context->lock);
            return 0;
        }
        context->ownsConfiguration = 1;
        config_init(context->configuration);
        const char *file = std::getenv("ZARNVARFILE");
        char error[256];
        int line = 0;
        if (file && *file &&
            !ZarnReadConfigFile(context->configuration, file, error, sizeof error, &line,
                                nullptr)) {
            ResetConfiguration(context->configuration);  // an unreadable file gives no variables
        }
    }
    config_setting_t *root = config_root_setting(context->configuration);
    if (config_setting_get_member(root, kGroup) == nullptr) {
        config_setting_add(root, kGroup, CONFIG_TYPE_GROUP);
    }
    context->Destroy = DestroyOperation;
    context->SetVariable = SetVariable;
    context->ExpandText = ExpandText;
    return 1;
}

extern "C" void VariablesDestroy(VariablesContext *context) {
    if (context->ownsConfiguration && context->configuration) {
        config_destroy(context->configuration);
        std::free(context->configuration);
    }
    context->configuration = nullptr;
    context->ownsConfiguration = 0;
    ZarnLockDestroy(&context->lock);
}

extern "C" int SetVariable(VariablesContext *context, const char *name, const char *format, ...) {
    char text[ZARN_VARIABLE_VALUE_SIZE];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format ? format : "", arguments);
    va_end(arguments);
    if (length < 0) {
        text[0] = '\0';
    } else if (static_cast<size_t>(length) >= sizeof text) {
        CutAtCharacterBoundary(text, sizeof text - 1);
    }

    if (name == nullptr) {
        return 0;
    }
    LockGuard guard(context);
    config_setting_t *group = VariablesGroup(context);
    if (group == nullptr) {
        return 0;  // nothing was stored
    }
    config_setting_t *variable = config_setting_get_member(group, name);
    if (variable && !config_setting_is_group(variable)) {
        config_setting_remove(group, name);
        variable = nullptr;
    }
    if (variable == nullptr) {
        variable = config_setting_add(group, name, CONFIG_TYPE_GROUP);
    }
    return variable && StoreValue(variable, text) ? 1 : 0;
}

extern "C" const char *GetVariable(VariablesContext *context, const char *name) {
    if (context == nullptr || context->configuration == nullptr) {
        return nullptr;
    }
    LockGuard guard(context);
    config_setting_t *variable = VariableSetting(context, name);
    if (variable == nullptr) {
        return nullptr;
    }
    if (std::strcmp(StringMember(variable, "type", ""), "date") == 0) {
        return RecomputeDateValue(variable);
    }
    return StringMember(variable, "value", nullptr);
}
