// Hook chains: numbered lists of functions run in priority order.
#pragma once

namespace engine {

// Gets the hook id, the data from the previous hook and its own context;
// returns the data handed to the next hook
using THookFunc = void* (*)(int id, void* data, void* context);

// Ids run from 1 to 255; one more throws TRuntimeError("Too many hook ids")
int AllocHookId();
// A new hook goes after every hook of equal or higher priority
void AddHook(int id, THookFunc func, void* context, int priority = 0);
// Calls each hook in order and returns the last result (data itself for an empty chain)
void* RunHooks(int id, void* data);
// Removes the first hook with this function and context
void RemoveHook(int id, THookFunc func, void* context);

// The chains the system allocates at start: every emitted event (data is a
// TEvent*), and every Flip (data is null)
int EmitEventHook();
int FlipHook();

} // namespace engine
