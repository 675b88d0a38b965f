#pragma once

#include <QObject>

// What the frame is made of and what its layout paints: artwork, border boxes, the
// three-slice title in each window state, grips, cursors and the caption.
class FrameLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void artworkKeepsTheKeyColourInTheRoundedCorners();
    void constituentsCarryTheirNames();
    void normalTitleIsThreeSlicesOfTheRoundedPiece();
    void maximisedTitleUsesTheSquarePieceAndTheFrameKeepsItsSize();
    void minimisedWindowKeepsItsTitleAndCursors();
    void cursors_data();
    void cursors();
    void lookSwitchShowsOnlyAfterALayout();
    void captionSitsOnOneLineWithItsShadow();
    void screenNeverShowsTheKeyColour();
};
