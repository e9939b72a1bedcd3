// Fax image files: multi-page TIFF Class F (one strip per page, T.4
// one-dimensional coding, an EOL before each line, 1728 dots at 204 x 98
// dots per inch), as fax viewers and libtiff read them.
#pragma once

#include <string>
#include <vector>

#include "components/fax/ModifiedHuffman.h"

namespace mivox {

using FaxPage = std::vector<FaxRow>;

// The file's bytes for the pages given.
std::string WriteFaxTiff(const std::vector<FaxPage>& pages);

// Reads back a file of this kind. Everything in it is checked: byte order,
// offsets and counts inside the file, 1728 dots a line, one bit per dot,
// T.4 one-dimensional coding, and codes that decode to whole lines. Returns
// false with the reason in `error` when the file is not such a fax image.
bool ReadFaxTiff(const std::string& bytes, std::vector<FaxPage>& pages, std::string& error);

}  // namespace mivox
