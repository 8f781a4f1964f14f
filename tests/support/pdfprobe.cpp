#include "pdfprobe.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "supportfixtures.h"

namespace zarn::test {
namespace {

std::string Quoted(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

bool PdfToolsAvailable() {
    return std::system("command -v pdfinfo pdftotext pdftoppm zbarimg >/dev/null 2>&1") == 0;
}

std::string CommandOutput(const std::string &command) {
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    std::array<char, 4096> chunk{};
    size_t read = 0;
    while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        output.append(chunk.data(), read);
    }
    pclose(pipe);
    return output;
}

int PdfPageCount(const std::string &pdf) {
    const std::string info = CommandOutput("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

std::string PdfPageText(const std::string &pdf, int page) {
    const std::string number = std::to_string(page);
    return CommandOutput("pdftotext -layout -f " + number + " -l " + number + " " + Quoted(pdf) +
                         " - 2>/dev/null");
}

std::vector<std::string> PdfPageQrCodes(const std::string &pdf, int page, int dpi) {
    TempDir folder;
    const std::string number = std::to_string(page);
    const std::string image = (folder.Path() / "page").string();
    CommandOutput("pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " + number + " -l " +
                  number + " " + Quoted(pdf) + " " + Quoted(image));
    std::istringstream lines(CommandOutput("zbarimg --raw -q -Sdisable -Sqrcode.enable " +
                                           Quoted(image + ".png") + " 2>/dev/null"));
    std::vector<std::string> codes;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            codes.push_back(line);
        }
    }
    return codes;
}

std::vector<int> PageImage::Pixel(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb.at(at), rgb.at(at + 1), rgb.at(at + 2)};
}

PageImage PdfRenderPage(const std::string &pdf, int page) {
    TempDir folder;
    const std::string number = std::to_string(page);
    const std::string image = (folder.Path() / "page").string();
    CommandOutput("pdftoppm -singlefile -r 72 -f " + number + " -l " + number + " " + Quoted(pdf) +
                  " " + Quoted(image));
    std::ifstream file(image + ".ppm", std::ios::binary);
    PageImage result;
    std::string magic;
    int maximum = 0;
    file >> magic >> result.width >> result.height >> maximum;
    file.get();
    if (magic != "P6" || maximum != 255) {
        return PageImage{};
    }
    result.rgb.resize(static_cast<size_t>(result.width) * result.height * 3);
    file.read(reinterpret_cast<char *>(result.rgb.data()),
              static_cast<std::streamsize>(result.rgb.size()));
    return result;
}

}  // namespace zarn::test
