#pragma once
// Work done in small pieces between the display's frames, so that making it
// never costs a frame: the stage browser's thumbnails.

#include "platform/FramePacing.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>

// What the pieces need to know of the frame loop. The window application's
// idle hooks are one; tests drive a fake one.
class TFrameSchedule : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // True while the idle handler's next call is set for NextFrameStart: at
    // the next refresh while frames follow one another, or when a handler
    // that sleeps wakes.
    virtual bool FramesRunning() const = 0;
    // When the next frame starts, on the clock of Now.
    virtual std::chrono::nanoseconds NextFrameStart() const = 0;
    virtual std::chrono::nanoseconds Now() const = 0;

signals:
    // Emitted at the end of every call of the idle handler (a frame's turn),
    // and when the handler is replaced or removed (frames may have stopped).
    void FrameTurnEnded();
};

// Runs a piece of work again and again, one piece per pass of the event
// loop, until the piece says nothing is left. While frames are running, a
// piece runs only when the next frame's start is further away than recent
// pieces took (their median and a margin), so input and frames go first;
// otherwise it waits for the end of the next frame's turn. A piece that fits
// in no gap (longer than a frame's spare time) still runs after MaxWaitTurns
// turns without one, so the work always ends; it then costs a frame.
class TBetweenFrames : public QObject {
    Q_OBJECT
public:
    // Does one small piece of work; returns true while more is left.
    using TPiece = std::function<bool()>;
    static constexpr int MaxWaitTurns = 8;

    // `schedule` is not owned; without one (none given, or gone) pieces run
    // one per event loop pass with nothing to wait for.
    TBetweenFrames(TPiece piece, TFrameSchedule* schedule, QObject* parent = nullptr);

    // Starts running pieces (again); Stop ends it before the next piece.
    void Start();
    void Stop();
    bool Running() const { return FRunning; }

    // Pieces run since this object was made.
    int PiecesRun() const { return FPiecesRun; }

signals:
    // The piece said nothing is left.
    void Finished();

private:
    void TryPiece();
    void TurnEnded();

    TPiece FPiece;
    QPointer<TFrameSchedule> FSchedule;
    QTimer FTimer;
    // What the next piece is expected to take: the median of the recent
    // pieces' costs and FramePacing's margin; none before the first piece.
    bool Expected(std::chrono::nanoseconds& cost) const;

    std::array<std::chrono::nanoseconds, 9> FCosts{};
    std::size_t FCostCount = 0;
    std::size_t FNextCost = 0;
    bool FRunning = false;
    int FStarts = 0;
    bool FWaitingForTurn = false;
    int FTurnsWaited = 0;
    int FPiecesRun = 0;
};
