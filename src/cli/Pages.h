#pragma once
// Pages of multi-page TIFF files and frames of animated GIF files on the command
// line: "--page N" counts from 1, as the editor's page chooser does.
#include <string>

#include "cli/Commands.h"

namespace quillory {
class CVandDoc;
}

namespace quillory::cli {

// Takes "--page N" out of args as a page index from 0 (0 without the option); false,
// with the reason on the error stream, when N is not a page number.
bool TakePage(Args& args, int& pageIndex);

// The pages of a picture file: 1 for a format of one picture, 0 when it cannot be read.
int CountPages(const std::string& path);

// The text for a page the file does not have.
std::string NoSuchPage(int pageIndex, int pageCount);

// Opens one page of a file as the document. False when it could not: `pageError`
// then says so if the file has no such page, else the document's error tells why.
bool OpenPage(CVandDoc& document, const std::string& path, int pageIndex, std::string& pageError);

// Why the document may not be written to `out`: one page of several written over the
// file it came from would drop every other page. Empty when it may.
std::string OnePageOverItsFile(const CVandDoc& document, const std::string& out);

// After a save the document stands for the written file, which holds one page.
void NowOnePage(CVandDoc& document);

}  // namespace quillory::cli
