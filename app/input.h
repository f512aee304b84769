// Input dispatch: events routed to the current screen's row.
#pragma once

#include "app/program.h"

#include "app/screen_table.h"

// Drains the event queue, routing key presses and left clicks to the current screen.
void dispatch_input(Program& program);
// The same with another binding of screens to rows (tests bind their own).
void dispatch_input_with(Program& program, ScreenBinding (*bind)(Program& program, int32_t screen));
