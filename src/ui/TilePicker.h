#pragma once
// A tile as a designer picks it: one of the palette's brushes, shown with its
// picture and name, or a code typed in ("24", "-1"), or "empty" (the
// eraser's item). What is picked is read as stagetool reads a tile.

#include "stage/TileNotation.h"

#include <QComboBox>

class TTilePicker : public QComboBox {
    Q_OBJECT
public:
    explicit TTilePicker(QWidget* parent = nullptr);

    // False, `choice` untouched, when the text names no tile.
    bool Choice(TTileChoice& choice) const;
    // The tile as messages name it: a brush's name ("steel"), else its code
    // and name ("24 brick").
    QString Label() const;
    // Why the text names no tile.
    QString Problem() const;
};
