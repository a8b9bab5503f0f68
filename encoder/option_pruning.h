// Pruning of candidate lists to the options worth their size, and thinning
// of long lists, so that the budget allocation works on short monotone
// lists.
#pragma once

#include "encoder/block_choices.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Lower convex hull from the cheapest option to the first option with the
// smallest error: each next option is the steepest (error saved per size
// added) among those both larger and better. If the walk cannot reach the
// smallest error it shows "Bandwidth error!" and leaves the list unchanged
// (returns false).
bool pruneToConvexHull(Candidate* list, int& count);

// Monotone pruning: from the cheapest option, repeatedly the smallest option
// that is larger and has a smaller error, until the error is 0.
void pruneToPareto(Candidate* list, int& count);

// Keeps option 0 and those at floor(k (count - 1) / (limit - 1)), k = 1 ..
// limit - 1, when the list is longer than limit.
void thinOptions(Candidate* list, int& count, int limit);

TOL_NS_END
