#include "zarnfields.h"

namespace zarn {

std::string DisplayKey(std::string_view customer, std::string_view media, std::string_view volume) {
    std::string key;
    key.reserve(customer.size() + media.size() + volume.size() + 2);
    key.append(customer).append(".").append(media).append(".").append(volume);
    return key;
}

}  // namespace zarn
