#include "zarnupdatecheck.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "zarnsystem.h"

namespace zarn {
namespace {

const long kPhaseMilliseconds = 1500;
const size_t kMostRead = 64 * 1024;  // an answer of any size is cut here

struct Answer {
    std::string headers;
    size_t bodyRead = 0;
    bool headComplete = false;
};

size_t KeepHeader(char *data, size_t size, size_t count, void *user) {
    auto *answer = static_cast<Answer *>(user);
    const size_t bytes = size * count;
    if (answer->headers.size() + bytes > kMostRead) {
        return 0;  // ends the transfer
    }
    answer->headers.append(data, bytes);
    // The blank line that ends the head: the status and the location are all the check needs,
    // so the transfer ends here, however slowly a body would follow.
    if (bytes == 2 && data[0] == '\r' && data[1] == '\n') {
        answer->headComplete = true;
        return 0;
    }
    return bytes;
}

size_t CountBody(char *, size_t size, size_t count, void *user) {
    auto *answer = static_cast<Answer *>(user);
    answer->bodyRead += size * count;
    return answer->bodyRead > kMostRead ? 0 : size * count;
}

// The text after "Location: " up to the next carriage return; empty without either.
std::string LocationOf(const std::string &headers) {
    const std::string marker = "Location: ";
    const size_t at = headers.find(marker);
    if (at == std::string::npos) {
        return "";
    }
    const size_t start = at + marker.size();
    const size_t end = headers.find('\r', start);
    return end == std::string::npos ? "" : headers.substr(start, end - start);
}

}  // namespace

std::string FormatBuildDate(const std::string &buildDate) {
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char month[4] = "";
    int day = 0, year = 0;
    if (std::sscanf(buildDate.c_str(), "%3s %d %d", month, &day, &year) != 3) {
        return buildDate;
    }
    for (int m = 0; m < 12; ++m) {
        if (std::strcmp(month, months[m]) == 0 && day >= 1 && day <= 31 && year > 0 &&
            year < 10000) {
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, m + 1, day);
            return text;
        }
    }
    return buildDate;
}

std::string UpdateAgent(const std::string &programName, const std::string &buildDate) {
    SystemDescription system;
    DescribeSystem(&system);
    return programName + "/" + FormatBuildDate(buildDate) + " (" + system.systemName + " " +
           system.release + " " + system.machine + ")";
}

std::string CheckForUpgrade(const std::string &server, const std::string &agent) {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    CURL *curl = ready ? curl_easy_init() : nullptr;
    if (!curl) {
        return "";
    }
    const std::string url = "http://" + server + "/version.cgi";
    Answer answer;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kPhaseMilliseconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 3 * kPhaseMilliseconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CountBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    long status = 0;
    const CURLcode done = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    // A transfer ended after a complete 302 head (by us, or with the body cut short) still
    // names the upgrade.
    const bool headRead = done == CURLE_OK || answer.headComplete;
    if (!headRead || status != 302) {
        return "";
    }
    return LocationOf(answer.headers);
}

}  // namespace zarn
