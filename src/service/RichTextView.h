#pragma once

// A read rich-text document as a QTextDocument, for display.

#include "service/RichText.h"

class QTextDocument;

namespace zyl {

// Replaces the content of target with the document's paragraphs; lengths in twips become
// pixels at 96 per inch, font sizes points, and line breaks line separators.
void FillTextDocument(const RichTextDocument& document, QTextDocument& target);

} // namespace zyl
