#pragma once

// The process-wide tables of the interlock tool: the telesignal table, the M variables, the
// 32 interlock blocks, the global state of the main window (current block, view, tab group,
// file name), and the plain values that the screen shows. One Workspace exists per program
// run (and one per test); every operation receives it by reference.
//
// All texts are Windows-1251 bytes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interlock/logic_text.h"

namespace interlock {

constexpr int kTsCount = 256;
constexpr int kBlockCount = 32;
constexpr int kMCount = 16;

// Colours are 0x00BBGGRR values; values with the top bit set are system colours.
using Colour = uint32_t;
namespace colour {
constexpr Colour kWindowBackground = 0xFFFBF0;
constexpr Colour kInactiveTab = 0xFBFFF0;
constexpr Colour kGreen = 0x008000;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGrey = 0x808080;
constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kNearBlack = 0x0A0A0A;
constexpr Colour kHighlight = 0x8000000D;        // clHighlight
constexpr Colour kInactiveCaption = 0x80000003;  // clInactiveCaption
constexpr Colour kWindow = 0x80000005;           // clWindow
}  // namespace colour

// Which logic of a block: "on" is the ON logic (section "#Off->On"), "off" the OFF logic
// (section "#On->Off").
enum class Side { On, Off };
const char* SideName(Side side);  // "on" / "off"

// TS 1..256; every per-TS array has room for indices 0..257 (0 and 257 denote no TS, but a
// pair started by TS 256 touches 257 and some resets start at 0).
struct TsTableData {
    std::array<int16_t, kTsCount + 2> Value{};
    std::array<uint8_t, kTsCount + 2> UsedInLogic{};
    std::array<std::string, kTsCount + 2> Name{};
    std::array<uint8_t, kTsCount + 2> Unreliability{};  // 0 reliable, 1 manual, 2 hardware
    std::array<uint8_t, kTsCount + 2> FromServer{};
    std::array<uint8_t, kTsCount + 2> Inverted{};
    std::array<uint8_t, kTsCount + 2> TwoPosition{};
    std::array<uint8_t, kTsCount + 2> PairSecond{};

    // Start-up reset: values 0 for TS 1..256, flags and names cleared for 1..256.
    void Reset();
};

struct MVariablesData {
    std::array<uint8_t, kMCount + 1> Value{};  // M1..M16 at indices 1..16
    std::array<uint8_t, kMCount + 1> Shown{};
};

// One interlock block: block n drives output relay n.
class Block {
public:
    int8_t Number = 0;
    std::string Name;
    uint8_t OnResult = 0;
    uint8_t OffResult = 0;
    bool OnEmpty = false;
    bool OffEmpty = false;
    bool OnHasCandidates = false;
    std::string OnCandidates;
    bool OnError = false;
    std::string OnErrorMessage;
    std::string OnErrorLine;
    std::array<uint8_t, kTsCount + 1> OnUnreliability{};
    bool OffHasCandidates = false;
    std::string OffCandidates;
    bool OffError = false;
    std::string OffErrorMessage;
    std::string OffErrorLine;
    std::array<uint8_t, kTsCount + 1> OffUnreliability{};
    LogicText OnLogic;
    LogicText OffLogic;
    int16_t StateSignal = 0;

    // The fields of one side, by reference, so that code written once serves both logics.
    struct SideFields {
        uint8_t& Result;
        bool& Empty;
        bool& HasCandidates;
        std::string& Candidates;
        bool& Error;
        std::string& ErrorMessage;
        std::string& ErrorLine;
        std::array<uint8_t, kTsCount + 1>& Unreliability;
        LogicText& Logic;
    };
    struct ConstSideFields {
        const uint8_t& Result;
        const bool& Empty;
        const bool& HasCandidates;
        const std::string& Candidates;
        const bool& Error;
        const std::string& ErrorMessage;
        const std::string& ErrorLine;
        const std::array<uint8_t, kTsCount + 1>& Unreliability;
        const LogicText& Logic;
    };
    SideFields Of(Side side);
    ConstSideFields Of(Side side) const;

    void Create(int number);  // empty lists, Reset, then Number
    // Clears everything but Number and the candidate lists (they are rebuilt before shown).
    void Reset();
    void SetName(const std::string& text) { Name = text; }
    bool IsEmpty() const { return OnLogic.empty() && OffLogic.empty(); }
};

// Block status, shown by the block's tab.
enum class BlockStatus { Empty, Erroneous, Normal };

// The look of one colour-button tab, as the tab logic paints it.
struct TabLook {
    Colour colour = colour::kWindowBackground;
    Colour fontColour = colour::kBlack;
    bool enabled = true;
    bool bold = false;

    bool operator==(const TabLook&) const = default;
};

TabLook StatusLook(BlockStatus status, bool enabled);
TabLook ActiveTabLook();    // clHighlight, white bold, disabled
TabLook InactiveTabLook();  // 0xFBFFF0, black regular, enabled

// A message box raised by a core operation: the window shows it with an OK button.
enum class Icon { None, Information, Warning, Error };
struct Message {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;

    bool operator==(const Message&) const = default;
};

// Texts of the main window's fields that the core reads and writes. The window copies its
// widgets into these before it calls the core and shows them again afterwards.
struct WindowFields {
    std::string TS_State_Number = "S1";       // state signal entry
    std::string Block_Name;                   // apparatus name entry
    std::vector<std::string> Logic;           // lines of the logic editor
    std::string Server_channel_Number = "0";  // channel of the server link
    std::string Server_RTU_Number = "1";      // RTU of the server link
};

// The options of the settings panel that the core consults.
struct Options {
    bool Check_Color = true;       // "Подсветка текста"
    bool Check_Show_TS = true;     // "Показывать данные ТС"
    bool Check_Change_TS = false;  // "Разрешить изменение ТС"
    bool Check_Save_TS = true;     // "Сохранять ТС в файл конф."
};

// One label of the verdict line.
struct LabelLook {
    std::string text;
    Colour colour = colour::kBlack;
    bool visible = true;
    std::string hint;  // empty when the label shows none
    bool hintOn = false;

    bool operator==(const LabelLook&) const = default;
};

// What the editor colouring must do after a refresh.
enum class EditorColouring {
    Keep,       // nothing runs (empty block without state signal)
    Plain,      // reset to black and regular only
    Operands,   // reset, then colour the operands
    ErrorLine,  // reset, then mark the error line
};

// TS grid: one column per TS referenced by the logic on view.
struct TsGridModel {
    std::vector<std::pair<int, int16_t>> columns;  // (TS number, value)
    std::string stateValueText = "0";              // TS_State_Value: "вкл" / "откл" / "---"
    Colour stateValueColour = colour::kBlack;
    int windowHeight = 524;  // 524, 577 or 596
};

// M grid: the M variables read by the logic on view, then the block's output V.
struct MGridModel {
    std::vector<std::pair<std::string, int>> rows;  // ("M3", 1) ..., ("V4", result)
};

// Everything the main window shows of the current block after a refresh.
struct Screen {
    LabelLook Top_Label_Name;
    LabelLook Top_Label4;
    LabelLook Top_Label5;
    LabelLook Top_Label6;
    LabelLook Top_Label7;
    EditorColouring colouring = EditorColouring::Keep;
    std::string errorLine;  // the line to mark when colouring is ErrorLine
    TsGridModel tsGrid;
    MGridModel mGrid;
    unsigned refreshCount = 0;  // grows with every refresh, so the window knows to reload
};

struct Workspace {
    Workspace();

    TsTableData TsTable;
    MVariablesData MVariables;
    std::array<Block, kBlockCount + 1> Blocks;  // blocks 1..32; index 0 unused
    int CurrentBlock = 1;
    Side CurrentView = Side::On;
    std::string ConfigFileName;
    int TabGroup = 0;  // 0: tabs show blocks 1..16, 1: blocks 17..32

    WindowFields Fields;
    Options Opts;
    std::array<TabLook, 17> Tabs;      // Tab1..Tab16 at 1..16
    std::array<TabLook, 2> GroupTabs;  // Tab1_16, Tab17_32
    Screen Display;                    // the verdict line, grids and colouring of the current block
    std::vector<Message> Messages;     // boxes to show, oldest first; the window drains them

    // A plain parse of the logic text in place of the evaluation of its compiled form: the
    // tests and benchmarks put the twin of the engine here to compare the two. Null in the
    // program.
    void (*ParseText)(Workspace& ws, Block& block, Side side) = nullptr;

    Block& CurrentBlockRef() { return Blocks[CurrentBlock]; }
};

// ---- Shared notions of the tables ----

// Apparatus state through state signal s (s != 0): ON when Value[s] = 1 (s > 0) or
// Value[-s] = 0 (s < 0).
bool ApparatusIsOn(const Workspace& ws, int s);
// A two-position pair (n, n+1) whose values agree and whose first TS is not from the server.
bool PairInvalid(const Workspace& ws, int n);
// UsedInLogic from the lines of the logic editor.
void CollectUsedTs(Workspace& ws);
void ClearUsedTs(Workspace& ws);
void ClearShownM(Workspace& ws);

// ---- The block ----

BlockStatus StatusOf(const Workspace& ws, const Block& b);
bool IsErroneous(const Workspace& ws, const Block& b);

// Applies a state signal entry to block `number` and writes the normalised entry into
// Fields.TS_State_Number. A number outside 1..32 raises the warning message instead.
void SetStateSignal(Workspace& ws, int number, const std::string& entry);
// Parses both logics and paints the block's tab.
void Recalculate(Workspace& ws, int number);
void RecalculateAll(Workspace& ws);  // blocks 1..32, block 1 first
void ResetAllBlocks(Workspace& ws);
// Paints the tab of block n when its group is on show; otherwise nothing happens.
void PaintBlockTab(Workspace& ws, int n, const TabLook& look);
void PaintBlockStatus(Workspace& ws, int n, BlockStatus status);

// The block into the window fields: state field, name field, view choice, recalculation and,
// for the current block, the display refresh.
void ShowBlock(Workspace& ws, int number);
// The window fields back into the block: editor text by CurrentView, state signal, name,
// then the display refresh.
void CommitEditor(Workspace& ws, int number);
// Applies the state field to the current block and chooses the logic of the next operation.
void SelectViewByState(Workspace& ws);
// CurrentView := side and restyles nothing else (the window restyles the view tabs from it).
void SetView(Workspace& ws, Side side);

// "Пересчитать логику" on the current block.
void RecalculateButton(Workspace& ws);
// "Обнулить блок" after the user answered Yes: empties all 32 blocks and queues the
// confirmation message.
void NullifyConfirmed(Workspace& ws);

// Splits the editor's plain text ("\n" or "\r\n" breaks) into lines the way a line list
// does: an empty text has no lines, and a final line break does not start a new line.
std::vector<std::string> SplitEditorText(const std::string& text);

}  // namespace interlock
