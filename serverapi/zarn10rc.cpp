#include "zarn10rc.h"

namespace {

const char *const kTexts[] = {
    "Success",
    "No change was needed",
    "Not logged on to the server",
    "The server cannot be reached",
    "Volume is not on file",
    "Customer is not on file",
    "Media type is not on file",
    "Repository is not on file",
    "Zone is not on file",
    "Slot is outside the zone",
    "Volume is not held for this customer and media type",
    "Volume is already on file",
    "Record was changed by another station; read it again",
    "Bar code not recognised",
    "Invalid request",
    "Server database error",
    "Server database is busy; try again",
    "Cancelled by the operator",
    "Journal code is not on file",
    "Attribute is not on file",
    "Server database is newer than this program",
    "Not permitted for this station",
    "Volume serial is held more than once; scan its full label",
    "The server refused the user name or password",
};

}  // namespace

int CZARN10RC::IsOK(int acceptNoChange) const {
    return m_code == kZarnOK || (acceptNoChange && m_code == kZarnNoChange) ? 1 : 0;
}

const char *CZARN10RC::Get() const {
    if (m_code < sizeof kTexts / sizeof kTexts[0]) {
        return kTexts[m_code];
    }
    return "Unknown server result";
}
