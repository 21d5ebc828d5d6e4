// What the pages say about the local language model in each of its states:
// one line and one symbol, shared by the describe field, the rule editor and
// every page that shows whether file content can be read.
#pragma once

#include "ModelReader.h"

#include <QString>

namespace ModelStatusText {

// Why rules that read file content do not run now; for `available`, that the
// model reads files.
QString explanation(ModelStatus status);

// The symbol shown beside the line.
QString symbol(ModelStatus status);

} // namespace ModelStatusText
