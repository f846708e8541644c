#pragma once

#include <QStringList>

namespace drivers {

// How digits inside names compare. Instance names number their versions (SQL2 before SQL10);
// database and data source lists have always been ordered character by character.
enum class DigitOrder { ByCharacter, ByValue };

// Names as the dialog offers them: each once, none empty, in the user's language's order
// without regard to case.
void sortNames(QStringList &names, DigitOrder digits = DigitOrder::ByCharacter);

} // namespace drivers
