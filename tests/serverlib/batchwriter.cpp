// A station that reads every volume of ACME LTO9 and writes a move to each in one batched
// update, for a test to kill while it writes. Arguments: host port user database (an empty
// host for the embedded store, whose file is then database).
#include <QCoreApplication>

#include <cstdlib>
#include <vector>

#include "zarn10mfc.h"
#include "zarnfields.h"
#include "zarnsession.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        return 2;
    }
    CZARN10MFC station;
    station.SetProgramID(3);
    station.SetLogonDetails(argv[1], static_cast<unsigned>(std::atoi(argv[2])), argv[3], "");
    station.Session()->settings.database = argv[4];
    if (!station.Logon(0).IsOK(0)) {
        return 3;
    }
    std::vector<ZARNVOLSFULL> listed;
    if (!station.List(listed, "ACME", "LTO9", {0}, nullptr, nullptr, nullptr, 0, 0).IsOK(0)) {
        return 4;
    }
    std::vector<ZARNVOLSEx> records(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (!station.Get(&records[i], "ACME", "LTO9", listed[i].volume).IsOK(0)) {
            return 5;
        }
        zarn::WriteField(records[i].locations[2].repositoryId, "VLT1");
        records[i].locations[2].slot = 7;
    }
    std::vector<CZARN10RC> results;
    station.Update(records, results);
    return 0;
}
