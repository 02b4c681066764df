#include "engine/input/hook.h"

#include <vector>

#include "engine/runtime/error.h"

namespace engine {

namespace {

struct THook {
    int priority;
    THookFunc func;
    void* context;
};

constexpr int kMaxHookIds = 255;

// The two chains the system itself uses come first, so they exist however
// many ids the program asks for later
constexpr int kEmitEventHook = 1;
constexpr int kFlipHook = 2;

// Chain i belongs to hook id i; slot 0 is never handed out
std::vector<std::vector<THook>>& Chains()
{
    static std::vector<std::vector<THook>> chains(3);
    return chains;
}

std::vector<THook>* Chain(int id)
{
    auto& chains = Chains();
    if (id <= 0 || id >= int(chains.size())) return nullptr;
    return &chains[id];
}

} // namespace

int AllocHookId()
{
    auto& chains = Chains();
    if (int(chains.size()) > kMaxHookIds) ThrowRuntimeError("Too many hook ids");
    chains.emplace_back();
    return int(chains.size()) - 1;
}

void AddHook(int id, THookFunc func, void* context, int priority)
{
    std::vector<THook>* chain = Chain(id);
    if (!chain) return;
    auto at = chain->begin();
    while (at != chain->end() && at->priority >= priority) ++at;
    chain->insert(at, THook{priority, func, context});
}

void* RunHooks(int id, void* data)
{
    std::vector<THook>* chain = Chain(id);
    if (!chain) return data;
    // A hook may add or remove hooks of its own chain: walk a snapshot
    std::vector<THook> hooks = *chain;
    for (const THook& hook : hooks) data = hook.func(id, data, hook.context);
    return data;
}

void RemoveHook(int id, THookFunc func, void* context)
{
    std::vector<THook>* chain = Chain(id);
    if (!chain) return;
    for (auto it = chain->begin(); it != chain->end(); ++it) {
        if (it->func == func && it->context == context) {
            chain->erase(it);
            return;
        }
    }
}

int EmitEventHook() { return kEmitEventHook; }
int FlipHook() { return kFlipHook; }

} // namespace engine
