// The scan dialog's logic: every scanner line is parsed, a volume is looked up (a bare serial
// is resolved to its customer and media; a container is marked), and one message is posted to
// the owner for it, its record carried by value.
#include "zarn10mfc.h"
#include "zarnbarcode.h"
#include "zarnfields.h"
#include "zarnpresenters.h"
#include "zarnscantarget.h"
#include "zarnserverworker.h"
#include "zarnsession.h"

#include <QLoggingCategory>
#include <QSqlQuery>

#include <chrono>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcConnection)

using namespace zarn;

namespace {

// Finds the one customer and media holding a bare serial.
uint8_t ResolveSerial(Store &store, ZARN10BARCODEPARSED &scanned) {
    QSqlQuery query(store.Database());
    if (uint8_t failed = store.Run(query,
                                   "SELECT customer_id, media_id FROM volumes WHERE volume = ?"
                                   " ORDER BY customer_id, media_id",
                                   {QString::fromStdString(ReadField(scanned.volume))})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnVolumeNotFound;
    }
    const std::string customer = query.value(0).toString().toStdString();
    const std::string media = query.value(1).toString().toStdString();
    if (query.next()) {
        return kZarnVolumeAmbiguous;
    }
    WriteField(scanned.customerId, customer);
    WriteField(scanned.mediaId, media);
    return kZarnOK;
}

}  // namespace

namespace zarn {

// The dialog's own result for a scanned volume, with its record completed from the store.
uint8_t LookUpScannedVolume(CZARN10MFC &server, ZARN10BARCODEPARSED &scanned) {
    uint8_t result = 0;
    Store *store = server.Session()->Require(result);
    if (!store) {
        return result;
    }
    if ((scanned.flags & kZarnScanSerialOnly) && (result = ResolveSerial(*store, scanned))) {
        return result;
    }
    ZARNVOLS volume;
    const std::string customer = ReadField(scanned.customerId);
    const std::string media = ReadField(scanned.mediaId);
    const std::string serial = ReadField(scanned.volume);
    // A full label of a volume new to the store is still a good scan: the station decides.
    if (server.Get(&volume, customer.c_str(), media.c_str(), serial.c_str()).IsOK(0)) {
        if (volume.flags & kZarnVolContainer) {
            scanned.flags |= kZarnScanContainer;
        }
        scanned.container = volume.container;
    }
    return kZarnOK;
}

namespace {

bool CouldNotAsk(uint8_t result) {
    return result == kZarnNotLoggedOn || result == kZarnServerUnavailable ||
           result == kZarnDatabaseBusy;
}

// How long a scan waits for its look-up.
constexpr std::chrono::milliseconds kLookUpWait{150};

// Looked up on a connection of the dialog's own and waited for no longer than kLookUpWait: a
// server that is slow or has stopped answering holds up no scan. A full label not looked up in
// time (or that the server could not be asked) is taken as scanned: a volume, as one new to
// the store would be. A bare serial cannot be, and is answered as a server that cannot be
// reached.
uint8_t LookUpInTime(CZARN10MFC &server, ServerWorker &lookUps, ZARN10BARCODEPARSED &scanned) {
    struct LookUp {
        ZARN10BARCODEPARSED scanned;
        uint8_t result = kZarnServerUnavailable;
    };
    auto lookUp = std::make_shared<LookUp>();
    lookUp->scanned = scanned;
    const uint64_t ticket = lookUps.Submit(server, [lookUp](CZARN10MFC &own) {
        lookUp->result = LookUpScannedVolume(own, lookUp->scanned);
        if (own.Session()->store) {
            own.Session()->store->FinishStatements();  // no snapshot held while waiting
        }
    });
    const bool answered = lookUps.WaitFor(ticket, kLookUpWait);
    if (answered && !CouldNotAsk(lookUp->result)) {
        scanned = lookUp->scanned;
        return lookUp->result;
    }
    const std::string why = answered
                                ? CZARN10RC(lookUp->result).Get()
                                : "no answer within " + std::to_string(kLookUpWait.count()) + " ms";
    qCWarning(lcConnection).noquote()
        << "the look-up of" << ReadField(scanned.volume).c_str() << "was not made:" << why.c_str();
    return (scanned.flags & kZarnScanSerialOnly) ? uint8_t{kZarnServerUnavailable}
                                                 : uint8_t{kZarnOK};
}

}  // namespace
}  // namespace zarn

CZARN10RC CZARN10MFC::ScanDialog(ZARNSCANVOLUMEARGS *args, const char *title, void *) {
    const StatementsDone done(*m_session);
    ScanMessageTarget *target = args ? ScanTargetOf(*args) : nullptr;
    if (!args || args->size != sizeof(ZARNSCANVOLUMEARGS) || !target) {
        return kZarnInvalidArgument;
    }
    std::unique_ptr<ScanDialogPresenter> dialog = CurrentPresenterFactory()->MakeScanDialog();
    if (!dialog) {
        return kZarnInvalidArgument;
    }
    const BarCodeGrammar &grammar = m_session->grammar;
    if (!m_session->lookUps) {
        m_session->lookUps = std::make_unique<ServerWorker>();
    }
    m_session->lookUps->Submit(*this, [](CZARN10MFC &) {});  // logged on before the first scan
    dialog->Open(title ? title : "");
    m_session->openDialog = dialog.get();
    for (std::string line; dialog->NextLine(line);) {
        ZARN10BARCODEPARSED scanned;
        uint8_t result = ParseScannerLine(grammar, line, nullptr, nullptr, scanned);
        if (result == kZarnOK && scanned.kind == kZarnBarCodeVolume) {
            result = m_session->store ? LookUpInTime(*this, *m_session->lookUps, scanned)
                                      : uint8_t{kZarnNotLoggedOn};
        }
        const bool tooLong = line.size() > LongestBarCode(grammar);
        dialog->ShowStatus(result == kZarnOK ? line
                           : tooLong ? std::string(CZARN10RC(result).Get()) + ": longer than " +
                                           std::to_string(LongestBarCode(grammar)) + " characters"
                                     : CZARN10RC(result).Get());
        if (result != kZarnOK || scanned.kind == kZarnBarCodeVolume) {
            if (args->volumeMessage != 0) {
                // A receiver that answers at once says whether it took the volume.
                const intptr_t answer = target->PostVolume(args->volumeMessage, result, scanned);
                if (answer >= 0) {
                    dialog->ShowStatus(line + (answer ? ": done" : ": not done"));
                }
            }
        } else if (scanned.kind == kZarnBarCodeControl) {
            if (args->controlMessage != 0) {
                target->PostValues(args->controlMessage,
                                   static_cast<unsigned char>(scanned.control), 0);
            }
        } else if (args->zoneSlotMessage != 0) {
            target->PostValues(args->zoneSlotMessage, scanned.zone, scanned.slot);
        }
    }
    m_session->cancelled = dialog->Cancelled();
    m_session->openDialog = nullptr;
    dialog->Close();
    return kZarnOK;
}

void CZARN10MFC::ShowScanAnswer(const ScanAnswer &answer) {
    if (m_session->openDialog) {
        m_session->openDialog->ShowAnswer(answer);
    }
}
