#pragma once

#include <QtGlobal>

class FieldValue;
class PalmDatabase;
class PlanEdit;
class Record;

// The guest count: how many people have confirmed, out of how many invited. A guest stands for
// the number of people in its RSVP, or one person when the RSVP is empty.
struct GuestCount {
    // Wide enough that 65,535 guests of any RSVP cannot overflow.
    qint64 confirmed = 0;
    qint64 possible = 0;
};

// Counts the guest database. An RSVP counts as the whole number nearest its numeric value
// (halves to the even neighbour), so "abc" counts 0; an empty or missing RSVP counts 1, for the
// confirmed total as for the invited one. Guests who declined count in neither.
GuestCount countGuests(const PalmDatabase &guests);
// The people one guest stands for, by the rule above: its RSVP as the nearest whole number
// (within 32 bits), one when the RSVP is empty or missing.
qint64 guestPeople(const FieldValue &rsvp);
qint64 peopleOf(const Record &guest);
// Gives every guest without an rsvp field an empty one, as every guest is expected to carry it.
void addMissingRsvp(PlanEdit &edit);
