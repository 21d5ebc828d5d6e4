// A text field at least as wide as a number of characters of its own font,
// with the room the style keeps round its text, whatever font and style the
// desktop gives it: a row that lays the field out beside other controls
// goes on over a further line before the field narrows below that.
#pragma once

class QLineEdit;

namespace CharacterRoom {

// From now on the field's least width shows that many characters; it
// follows the field's font and style when they change.
void keep(QLineEdit *field, int characters);
// The width that shows that many characters in the field as it is now.
int width(const QLineEdit &field, int characters);

} // namespace CharacterRoom
