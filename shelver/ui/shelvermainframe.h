// The Shelver's main window: the "&Process" menu with "&Scan", the scan bar along the top, the
// list of scanned objects, the status bar, and the voice through which every answer is given.
#ifndef ZARN_SHELVER_UI_SHELVERMAINFRAME_H
#define ZARN_SHELVER_UI_SHELVERMAINFRAME_H

#include <QLabel>
#include <QMainWindow>

#include <functional>
#include <memory>

#include "scandialogbar.h"
#include "zarnlistctrl.h"
#include "zarnmessages.h"
#include "zarnshelverview.h"
#include "zarnvoice.h"
#include "zarnwinapp.h"

constexpr int kCmdShelverScan = 32771;
constexpr int kCmdShelverPrintAll = 32772;
constexpr int kCmdShelverPrintSelected = 32773;
constexpr unsigned kShelverMenuResource = 130;

struct CZARNShelverServices {
    zarn::ListServices list;
    std::function<std::unique_ptr<zarn::Voice>()> voice;
};

// The main window of ZARNShelver. Its message window receives 1524 (log on, fill the zones)
// and passes the scan dialog's messages to the scan processing.
class CMainFrame : public QMainWindow {
public:
    CMainFrame(zarn::CZARNWinApp &app, CZARN10MFC &server, CZARNShelverServices services,
               QWidget *parent = nullptr);
    ~CMainFrame() override;

    intptr_t HandleMessage(const zarn::WindowMessage &message);
    zarn::MessageWindow *Messages() { return m_messages.get(); }
    void Speak(const std::string &text);
    // Said once: on the status bar and on standard error; the window goes on silently.
    void SpeechUnavailable(const std::string &why);
    void Scan();
    CZARNShelverScanBar &ScanBar() { return *m_bar; }
    CScanDialogBar &ScanBarWindow() { return *m_barWindow; }
    CZARNShelverView &View() { return *m_view; }
    zarn::CZARNListCtrl &List() { return *m_list; }
    bool SpeechDisabled() const { return m_voice == nullptr || m_silent; }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class MessageForwarder : public zarn::MessageWindow {
    public:
        explicit MessageForwarder(CMainFrame &frame) : m_frame(frame) {}
        intptr_t HandleMessage(const zarn::WindowMessage &message) override {
            return m_frame.HandleMessage(message);
        }

    private:
        CMainFrame &m_frame;
    };

    CZARN10MFC &m_server;
    std::unique_ptr<MessageForwarder> m_messages = std::make_unique<MessageForwarder>(*this);
    CZARNShelverServices m_services;
    std::unique_ptr<zarn::Voice> m_voice;
    std::unique_ptr<CZARNShelverScanBar> m_bar;
    std::unique_ptr<CZARNShelverView> m_view;
    std::unique_ptr<CZARNShelverListSource> m_source;
    CScanDialogBar *m_barWindow;
    QLabel *m_speechNotice;
    bool m_silent = false;  // the voice failed
    zarn::CZARNListCtrl *m_list;
};

void RegisterShelverMenus();

#endif
