#include "vcl/win32/subclass.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vcl::win32 {
namespace {

struct Link {
  SUBCLASSPROC proc;  // nullptr once removed (it may still be on the call stack)
  UINT_PTR id;
  DWORD_PTR data;
};

struct Chain {
  WNDPROC original = nullptr;
  std::vector<Link> links;  // the last installed is called first
  size_t next = 0;          // index (from the top) of the link a DefSubclass call reaches
  int depth = 0;            // messages of this window being dispatched right now
  bool destroyed = false;
};

std::unordered_map<HWND, std::unique_ptr<Chain>>& Chains() {
  static std::unordered_map<HWND, std::unique_ptr<Chain>> chains;
  return chains;
}

Chain* Find(HWND window) {
  auto found = Chains().find(window);
  return found == Chains().end() ? nullptr : found->second.get();
}

bool Empty(const Chain& chain) {
  return std::none_of(chain.links.begin(), chain.links.end(),
                      [](const Link& l) { return l.proc != nullptr; });
}

LRESULT CALLBACK Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Once no message of the window is being handled: drops removed links and, with none left,
// gives the window its own procedure back (unless someone subclassed it above us since: then
// the chain stays to pass messages on to it).
void Tidy(HWND window, Chain& chain) {
  if (chain.depth > 0) return;
  std::erase_if(chain.links, [](const Link& l) { return l.proc == nullptr; });
  if (chain.destroyed) {
    Chains().erase(window);
    return;
  }
  if (!chain.links.empty()) return;
  if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Dispatch)) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.original));
    Chains().erase(window);
  }
}

// Calls the link at `chain.next` (counted from the top) or, past the last, the window's own
// procedure.
LRESULT CallNext(HWND window, Chain& chain, UINT message, WPARAM wParam, LPARAM lParam) {
  const size_t saved = chain.next;
  for (size_t i = chain.next; i < chain.links.size(); ++i) {
    const Link link = chain.links[chain.links.size() - 1 - i];
    if (link.proc == nullptr) continue;
    chain.next = i + 1;
    const LRESULT result = link.proc(window, message, wParam, lParam, link.id, link.data);
    chain.next = saved;
    return result;
  }
  chain.next = chain.links.size();
  const LRESULT result = CallWindowProcW(chain.original, window, message, wParam, lParam);
  chain.next = saved;
  return result;
}

LRESULT CALLBACK Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(window);
  if (chain == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // A message sent while another is handled starts again at the top of the chain.
  const size_t saved = chain->next;
  chain->next = 0;
  ++chain->depth;
  const LRESULT result = CallNext(window, *chain, message, wParam, lParam);
  --chain->depth;
  chain->next = saved;
  if (message == WM_NCDESTROY) chain->destroyed = true;
  if (chain->depth == 0 && (chain->destroyed || Empty(*chain))) Tidy(window, *chain);
  return result;
}

}  // namespace

bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  if (window == nullptr || proc == nullptr) return false;
  Chain* chain = Find(window);
  if (chain == nullptr) {
    auto created = std::make_unique<Chain>();
    created->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Dispatch)));
    if (created->original == nullptr) return false;
    chain = created.get();
    Chains()[window] = std::move(created);
  }
  for (Link& link : chain->links) {
    if (link.proc == proc && link.id == id) {
      link.data = data;
      return true;
    }
  }
  chain->links.push_back({proc, id, data});
  return true;
}

bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  Chain* chain = Find(window);
  if (chain == nullptr) return false;
  for (Link& link : chain->links) {
    if (link.proc == proc && link.id == id) {
      link.proc = nullptr;
      Tidy(window, *chain);
      return true;
    }
  }
  return false;
}

LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Chain* chain = Find(window);
  if (chain == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return CallNext(window, *chain, message, wParam, lParam);
}

}  // namespace vcl::win32
