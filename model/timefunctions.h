#ifndef TIMEFUNCTIONS_H
#define TIMEFUNCTIONS_H

#include <QString>
#include <QtGlobal>

// Conversions between seconds, video frames and time codes. Every step
// truncates, so a time code never runs ahead of the frame it stands for.

// trunc(seconds x frameRate), held to 0..4294967295 (NaN gives 0).
quint32 secondToFrame(double seconds, double frameRate);

// frame / frameRate; 0 for a frame rate that is not a positive number.
double frameToSecond(unsigned long frame, double frameRate);

// "hh:mm:ss" of a frame position; hours take more digits when needed.
// "00:00:00" for a frame rate that is not a positive number.
QString frameToTimeString(unsigned long frame, double frameRate);

// "hh:mm:ss" of whole seconds; negative durations show as "00:00:00".
QString secondToTimeString(int seconds);

// The number of processors of the machine, at least 1.
int cpuNumber();

#endif // TIMEFUNCTIONS_H
