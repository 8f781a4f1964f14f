// The drawing surface of a receipt run, in device units: what the receipt printer needs of a
// printer, so that the same drawing goes to a real printer or a PDF file. CZARN30PainterDC
// draws on any Qt paged device (QPrinter, QPdfWriter).
#ifndef ZARN_TOLLGATE_ZARN30DC_H
#define ZARN_TOLLGATE_ZARN30DC_H

#include <QFont>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>

#include <string>

class CZARN30DC {
public:
    enum Font { kHeading, kBody, kNotOk, kSmall };
    virtual ~CZARN30DC() = default;
    // Starts the job (false: it did not start); pages after the first come from NewPage.
    virtual bool StartDocument(const std::string &name) = 0;
    virtual void NewPage() = 0;
    virtual void EndDocument() = 0;
    virtual void AbortDocument() = 0;
    // The printable area and the vertical pixels per inch.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int PixelsPerInchY() const = 0;
    // Fonts sized by the point unit (printer pixels per point).
    virtual void CreateFonts(int pointUnit) = 0;
    virtual void SelectFont(Font font) = 0;
    virtual int LineHeight() const = 0;        // of the selected font
    virtual int AverageCharWidth() const = 0;  // of the selected font
    virtual int TextWidth(const std::string &text) const = 0;
    virtual void DrawText(int x, int y, const std::string &text) = 0;  // y: the text's top
    virtual void DrawLine(int x0, int y0, int x1, int y1) = 0;
    virtual void DrawFrame(int left, int top, int right, int bottom) = 0;  // not filled
    virtual void DrawImage(int x, int y, int width, int height, const QImage &image) = 0;
};

class CZARN30PainterDC : public CZARN30DC {
public:
    // The device is not owned; a QPrinter or QPdfWriter set up by the caller.
    explicit CZARN30PainterDC(QPagedPaintDevice &device) : m_device(device) {}
    bool StartDocument(const std::string &name) override;
    void NewPage() override;
    void EndDocument() override;
    void AbortDocument() override;
    int Width() const override;
    int Height() const override;
    int PixelsPerInchY() const override;
    void CreateFonts(int pointUnit) override;
    void SelectFont(Font font) override;
    int LineHeight() const override;
    int AverageCharWidth() const override;
    int TextWidth(const std::string &text) const override;
    void DrawText(int x, int y, const std::string &text) override;
    void DrawLine(int x0, int y0, int x1, int y1) override;
    void DrawFrame(int left, int top, int right, int bottom) override;
    void DrawImage(int x, int y, int width, int height, const QImage &image) override;

private:
    int PenWidth() const;
    QPoint Inside(int x, int y) const;
    QPagedPaintDevice &m_device;
    QPainter m_painter;
    QFont m_fonts[4];
};

#endif
