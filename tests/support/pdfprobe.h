// Reads a PDF back the way a person would: its pages, its text, its pictures and its QR codes,
// through poppler-utils and zbar-tools.
#ifndef ZARN_TESTS_PDFPROBE_H
#define ZARN_TESTS_PDFPROBE_H

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::test {

// True when pdfinfo, pdftotext, pdftoppm and zbarimg are all on the PATH.
bool PdfToolsAvailable();

// Runs a shell command and returns what it printed on standard output.
std::string CommandOutput(const std::string &command);

int PdfPageCount(const std::string &pdf);

// pdftotext -layout of one page (1-based).
std::string PdfPageText(const std::string &pdf, int page);

// The QR payloads zbarimg finds on one page rendered at dpi.
std::vector<std::string> PdfPageQrCodes(const std::string &pdf, int page, int dpi = 150);

// One page rendered to RGB at 72 dpi, so one pixel is one point; y counts from the top.
struct PageImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    // {r, g, b} of a pixel.
    std::vector<int> Pixel(int x, int y) const;
};
PageImage PdfRenderPage(const std::string &pdf, int page);

}  // namespace zarn::test

#endif
