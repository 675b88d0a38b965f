#pragma once

#include <QObject>

// What the frame does with its window: resizing by the pointer's travel, maximising by a
// double click, dragging by the title, the look following activation, the stored
// properties, and the surface's own events.
class FrameInteractionTest : public QObject
{
    Q_OBJECT
private slots:
    void resizeByTravel_data();
    void resizeByTravel();
    void resizeIsRefusedUnlessNormal();
    void fixedSingleStopsResizingAndMaximising();
    void doubleClickTogglesMaximised();
    void dragsOnlyByTheTitleOfANormalWindow();
    void lookFollowsActivation();
    void captionIsTheWindowsTitleIconIsNot();
    void propertiesGoThroughTheBag();
    void surfaceEventsArePassedOn();
};
