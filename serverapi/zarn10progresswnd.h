// The progress window of long server passes, with a cancel button.
#ifndef ZARN_SERVERAPI_ZARN10PROGRESSWND_H
#define ZARN_SERVERAPI_ZARN10PROGRESSWND_H

#include <memory>

#include "zarnpresenters.h"

class CZARN10ProgressWnd {
public:
    // Callers build it with (2, 0).
    CZARN10ProgressWnd(int style, void *owner);
    ~CZARN10ProgressWnd();
    CZARN10ProgressWnd(const CZARN10ProgressWnd &) = delete;
    CZARN10ProgressWnd &operator=(const CZARN10ProgressWnd &) = delete;

    void SetTitle(const char *title);
    void Start();
    // printf-style; at most 1024 characters are shown.
    void SetLine1(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void SetLine2(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void SetPosition(unsigned done, unsigned total);
    int HasCancelled();
    void Stop();

private:
    std::unique_ptr<zarn::ProgressPresenter> m_presenter;
    std::string m_title;
    bool m_cancelled = false;
    bool m_running = false;
};

#endif
