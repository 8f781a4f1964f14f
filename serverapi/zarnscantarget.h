// Where the scan dialog posts what it read: the owner window of the dialog's arguments.
// Payloads travel by value.
#ifndef ZARN_SERVERAPI_ZARNSCANTARGET_H
#define ZARN_SERVERAPI_ZARNSCANTARGET_H

#include <cstdint>
#include <string>

#include "zarnrecords.h"

namespace zarn {

class ScanMessageTarget {
public:
    virtual ~ScanMessageTarget() = default;
    // A volume: wParam is the dialog's own result code for it. The receiver's answer when it
    // was handled at once (sent), -1 when it was queued (posted).
    virtual intptr_t PostVolume(unsigned message, uint8_t result, ZARN10BARCODEPARSED scanned) = 0;
    // A control character, or a zone and slot (0 = not given): wParam and lParam as numbers.
    virtual void PostValues(unsigned message, intptr_t wParam, intptr_t lParam) = 0;
};

// What a scan drew from the program: the verdict the operator hears, to be seen as well.
enum class AnswerKind { Accepted, Warning, Refused, Note };
struct ScanAnswer {
    std::string scanned;  // the bar code or key the answer is for; empty for a command
    std::string text;     // as spoken, every text of the answer
    AnswerKind kind = AnswerKind::Note;
};

// The scanner lines the dialog reads, and what it shows while it waits. The Qt dialog reads
// the keyboard; tests feed lines.
class ScanDialogPresenter {
public:
    virtual ~ScanDialogPresenter() = default;
    virtual void Open(const std::string &title) = 0;
    // The next line; false when the operator closed the dialog.
    virtual bool NextLine(std::string &line) = 0;
    virtual void ShowStatus(const std::string &text) = 0;
    // The program's answer to the last scan: shown until the next, and kept in a short history.
    virtual void ShowAnswer(const ScanAnswer &) {}
    virtual void Close() = 0;
    // True when the operator closed the dialog with its cancel button.
    virtual bool Cancelled() const = 0;
};

// The owner handle of ZARNSCANVOLUMEARGS carries the target.
void SetScanTarget(ZARNSCANVOLUMEARGS &args, ScanMessageTarget *target);
ScanMessageTarget *ScanTargetOf(const ZARNSCANVOLUMEARGS &args);

}  // namespace zarn

#endif
