// The model status line: one symbol and one sentence for each state of the
// local language model, shown wherever the status is (folders page,
// settings, onboarding).
#pragma once

#include "ModelReader.h"

#include <QString>

namespace ModelStatusText {

QString symbol(ModelStatus status);
QString text(ModelStatus status);

} // namespace ModelStatusText
