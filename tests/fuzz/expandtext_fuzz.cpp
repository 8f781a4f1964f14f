// ExpandText over arbitrary text, destination sizes and the no-environment flag. The first two
// bytes choose the destination size and the flag; a guard area after it must stay untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "variables.h"

namespace {

VariablesContext *Context() {
    static VariablesContext context = [] {
        VariablesContext made{};
        VariablesInit(&made, nullptr, 0);
        SetVariable(&made, "TAPE", "A00001");
        SetVariable(&made, "LONG", "%0300d", 7);
        SetVariable(&made, "EMPTY", "%s", "");
        return made;
    }();
    return &context;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t capacity = data[0] + 1u;
    const int noEnvironment = data[1] & 1;
    const std::string source(reinterpret_cast<const char *>(data + 2), size - 2);

    constexpr size_t kGuard = 64;
    char *out = static_cast<char *>(std::malloc(capacity + kGuard));
    std::memset(out + capacity, 0x5A, kGuard);
    ExpandText(Context(), source.c_str(), out, capacity, noEnvironment);
    for (size_t i = 0; i < kGuard; ++i) {
        if (out[capacity + i] != 0x5A) {
            std::abort();
        }
    }
    if (std::strlen(out) >= capacity) {
        std::abort();
    }
    std::free(out);
    return 0;
}
