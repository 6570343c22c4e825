#pragma once
// A window follows what the document tells for as long as the window lives:
// `window` is a QObject with a public DocumentChanged(unsigned changes).

#include "editor/Document.h"

#include <QPointer>

template <class TWindow>
void FollowDocument(TDocument& document, TWindow* window)
{
    document.Observe([self = QPointer<TWindow>(window)](unsigned changes) {
        if (self)
            self->DocumentChanged(changes);
    });
}
