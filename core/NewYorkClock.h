// New York's trading hours as Beijing reads them. New York keeps daylight-saving time for most of
// the year, so the same 09:30 open is 21:30 in Beijing in summer and 22:30 in winter; the day of
// the session decides which.
#pragma once

#include <cstdint>

// How many minutes Beijing is ahead of New York on the session date `yyyymmdd`: 720 while New
// York keeps daylight-saving time (from 2007: the second Sunday of March to the first Sunday of
// November; before: the first Sunday of April to the last Sunday of October), 780 otherwise;
// 0 when `yyyymmdd` is no date.
int BeijingAheadOfNewYork(int32_t yyyymmdd);

// The Beijing minute of day (0..1439) of New York minute `minute` on that date, or -1 when the
// date is no date.
int NewYorkMinuteInBeijing(int minute, int32_t yyyymmdd);
