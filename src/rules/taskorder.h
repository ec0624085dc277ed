#pragma once

#include "store/planedit.h"

// The order of the wedding tasks: by the position of their timeframe in the timeframe list
// (ordr), then by their alarm date (alrm). How a handheld or an older version happened to store
// either value does not change the order:
// - ordr counts as a number whether held as a number or as text ("10" after "2"); a task without
//   a usable position (absent, empty, not a number) comes first, as it always has;
// - within a position, dated tasks come in date order and the undated ones after them, whether
//   their alrm is absent, empty, or holds no value.
namespace TaskOrder {

// Gives every task the ordr of its timeframe: the 1-based position of the first timeframe whose
// name equals the task's time exactly. A task whose timeframe is not in the list keeps its ordr;
// one without the field gains it empty. The field joins the tasks' field list when missing.
void renumberTasks(PlanEdit &edit);
// The same for one task.
void renumberTask(PlanEdit &edit, Record &task);

// Sorts the tasks by ordr, then alrm, as above; ties keep their order.
void sortTasks(PlanEdit &edit);

} // namespace TaskOrder
