#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace corvane::host {

// Command-line options of the host: "--key value" pairs and "--flag"s.
class Options {
public:
    Options(int count, wchar_t** arguments);
    bool Has(const std::wstring& key) const { return values_.count(key) != 0; }
    std::wstring Get(const std::wstring& key, const std::wstring& fallback = L"") const;
    int GetInt(const std::wstring& key, int fallback) const;
    const std::vector<std::wstring>& positional() const { return positional_; }

private:
    std::map<std::wstring, std::wstring> values_;
    std::vector<std::wstring> positional_;
};

// Writes one line "<tag> <text>" to standard output as UTF-8 and flushes it.
void Report(const std::wstring& tag, const std::wstring& text = L"");
std::wstring HandleText(HWND window);

// Arranges for the dialog to be destroyed after the given delay, and for its
// thread to be busy (not retrieving messages) for a while after it is shown.
void ApplyTimingOptions(HWND dialog, const Options& options);

// Reports READY for a modeless dialog and runs its messages until it is
// closed; --report-keys adds a KEY line for every key-down it receives.
int ShowUntilClosed(HWND dialog, const Options& options);

int RunOpenDialog(const Options& options, bool save);
int RunBrowseDialog(const Options& options);

// The item dialogs: open, save, and the open dialog that picks folders.
enum class ItemDialogKind { Open, Save, PickFolder };
int RunItemDialog(const Options& options, ItemDialogKind kind);
int RunStandIn(const Options& options);
int RunFolderStandIn(const Options& options);

// Leaves a file "started" with the given content beside the host's own
// program; false when it cannot be written.
bool MarkStart(const std::string& content);
// Both sides of a run that hands its work over under its turn.
int HandOverUnderTurn(const Options& options);
int WorkUnderTurn();

// Item texts from the root's child down to the tree's selected item, joined
// as in a display path: what a folder dialog shows as the way to its
// selection.
std::wstring SelectedTreeChain(HWND tree);

} // namespace corvane::host
