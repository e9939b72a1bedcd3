#include "components/fax/FaxConverter.h"

#include <algorithm>

namespace mivox {

void TApdFaxConverter::SetDocumentFile(const std::string& path) {
    documentFile_ = path;
    const size_t slash = path.find_last_of("\\/:");
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    OutFileName = (hasExtension ? path.substr(0, dot) : path) + ".APF";
}

std::string ExpandTabs(const std::string& line, int tabStop) {
    std::string out;
    for (char c : line) {
        if (c == '\t') {
            const size_t step = tabStop > 0 ? tabStop - out.size() % tabStop : 1;
            out.append(step, ' ');
        } else if (static_cast<unsigned char>(c) >= ' ') {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<FaxPage> TApdFaxConverter::RenderText(const std::string& text) {
    std::vector<FaxPage> pages;
    const FaxRow blank(kFaxRowBytes, 0);
    const size_t pageRows =
        std::max<size_t>(kFaxPageRows, TopMargin + size_t(LinesPerPage) * EnhFont.height);
    FaxPage page(TopMargin, blank);
    int linesOnPage = 0;
    const auto finishPage = [&] {
        page.resize(pageRows, blank);
        pages.push_back(std::move(page));
        page.assign(TopMargin, blank);
        linesOnPage = 0;
    };
    const auto drawLine = [&](const std::string& line) {
        if (linesOnPage == LinesPerPage) finishPage();
        for (FaxRow& row : renderer_.RenderLine(EnhFont, ExpandTabs(line, TabStop), LeftMargin))
            page.push_back(std::move(row));
        ++linesOnPage;
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A form feed starts a new page; the text after it goes on there.
        size_t feed;
        while ((feed = line.find('\f')) != std::string::npos) {
            if (feed > 0) drawLine(line.substr(0, feed));
            finishPage();
            line.erase(0, feed + 1);
            if (line.empty()) break;
        }
        if (feed == std::string::npos) drawLine(line);
    }
    if (linesOnPage > 0 || pages.empty()) finishPage();
    return pages;
}

void TApdFaxConverter::ConvertToFile() {
    std::string text;
    if (!files_.ReadAll(documentFile_, text))
        throw FaxConversionError("Cannot read the text file to convert: " + documentFile_);
    if (OutFileName.empty()) throw FaxConversionError("No name given for the fax image file.");
    std::vector<FaxPage> pages;
    try {
        pages = RenderText(text);
    } catch (const Failure& e) {
        throw FaxConversionError(std::string("Cannot draw the text of ") + documentFile_ + ": " +
                                 e.what());
    }
    const std::string image = WriteFaxTiff(pages);
    const std::string partial = OutFileName + ".new";
    auto out = files_.CreateOutputFile(partial);
    const bool written = out && out->Write(image) && out->Close();
    if (!written || !files_.Copy(partial, OutFileName, false)) {
        files_.Delete(partial);
        throw FaxConversionError("Cannot write the fax image file: " + OutFileName);
    }
    files_.Delete(partial);
}

}  // namespace mivox
