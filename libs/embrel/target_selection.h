#pragma once
// Target selection: chooses count entries of a container that span it best, a greedy
// column-pivoted orthogonalisation (the pivot order of a QR decomposition with column
// pivoting) after the start entries have been projected out.
#include "embrel/apriori_interpolator.h"
#include "embrel/spek_container.h"

#include <functional>
#include <iosfwd>
#include <vector>

namespace embrel {

// Event callback: type 3 start, 4 after each chosen target (index = its position), 5 end;
// count = the number of targets. Returns true to abort.
using SelectionEvent = std::function<bool(int type, unsigned count, unsigned index)>;

// indices receives count positions into candidates: first one per start entry (the
// candidate of the same name, else the unused one nearest by |cosine|), then the picks in
// pick order. value: in, the smallest relative residual a pick may have; out, the smallest
// singular value of the chosen columns scaled to unit norm. unitColumns: pick by relative
// instead of absolute residual. log gets one line per pick when not null.
// Status: MB_EMPTY_INPUT without candidates, MB_BAD_ARGUMENT for a count outside
// start count..candidates or fewer eligible entries than asked, MB_TARGET_MISMATCH for start
// entries of another dimension, MB_NOT_FINITE for NaN or infinity, MB_ABORTED on request.
tyMBStatus SelectTargets(const CSpekContainer& candidates, int count, const CSpekContainer* start, bool unitColumns,
                  std::vector<int>& indices, std::ostream* log, double* value, const SelectionEvent& event);

} // namespace embrel
