#pragma once
// Readers of the all-time record of each event, as the shop stores them in
// the HALLOFFAME key: "Rec<n>" (the result, in the unit of the event's
// result value) and "Rec<n>Name" (the holder).

// The record of event n (1..10) as display text, in a static buffer:
// metres with two decimals for events 1 and 4 ("12.34 m"), minutes and
// seconds for the timed events 2, 3, 5 and 10 ("1 : 05"), points for the
// others ("120 POINTS"). kNoRecordText when the event has no record yet or
// n is not an event.
inline constexpr const char* kNoRecordText = "NONE";
const char* GetEventRecordText(int n);
// The record holder's name (at most 16 bytes read), in a static buffer; ""
// when there is none.
const char* GetEventRecordHolder(int n);

// The formatting alone, for a result value of event n.
const char* FormatEventResult(int n, int value, char* buf, int bufSize);
