// The converter: renders a plain text file into a fax image file (TIFF
// Class F, standard resolution), one text line per font height, a fixed
// number of lines a page.
#pragma once

#include <string>
#include <vector>

#include "components/fax/FaxTiff.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/TextRenderer.h"

namespace mivox {

// Rows of a converted page at 98 lines per inch. With the header line that
// the sender puts on top, a sent page stays within the length of an A4 sheet.
constexpr int kFaxPageRows = 1120;

class FaxConversionError : public Failure {
public:
    using Failure::Failure;
};

enum class TInputDocumentType { kTextEx };  // plain text drawn with a system font

class TApdFaxConverter {
public:
    TApdFaxConverter(FileSystem& files, TextRenderer& renderer)
        : files_(files), renderer_(renderer) {}

    TInputDocumentType InputDocumentType = TInputDocumentType::kTextEx;
    FontSpec EnhFont;
    int LeftMargin = 50;
    int TopMargin = 0;
    int LinesPerPage = 60;
    int TabStop = 4;
    std::string OutFileName;

    const std::string& DocumentFile() const { return documentFile_; }
    // Also names the output after the document, with the extension ".APF".
    void SetDocumentFile(const std::string& path);

    // Renders DocumentFile into OutFileName. A file that is missing or
    // cannot be written, or a font that cannot be used, raises a
    // FaxConversionError with a text that names the file. The output is
    // written to a new file first, so a failure leaves an earlier image intact.
    void ConvertToFile();

    // The pages of a text, as ConvertToFile draws them.
    std::vector<FaxPage> RenderText(const std::string& text);

private:
    FileSystem& files_;
    TextRenderer& renderer_;
    std::string documentFile_;
};

// A line with its tabs expanded to the next multiple of `tabStop` columns
// and its control characters dropped.
std::string ExpandTabs(const std::string& line, int tabStop);

}  // namespace mivox
