#pragma once
// Constants of the shell library: the clipboard formats that its drag and
// drop and clipboard commands exchange with the shell, and the library's
// texts (captions, hints and messages, in Shift-JIS).
#include <windows.h>
#include <objidl.h>

// ---------------------------------------------------------------------------
// Clipboard formats
//
// The shell's own formats are registered by name once per process, on first
// use of any record below (RegisterShellClipboardFormats does it eagerly).
// Every record asks for content (DVASPECT_CONTENT), all pages (index -1) and
// global memory (TYMED_HGLOBAL), except NULLFormat, which matches anything.

// Registers the five named formats now; later calls do nothing.
void RegisterShellClipboardFormats() noexcept;

const FORMATETC& HDROPFormat() noexcept;          // CF_HDROP
const FORMATETC& NULLFormat() noexcept;           // format 0, every aspect and medium
const FORMATETC& IDLISTFormat() noexcept;         // "Shell IDList Array"
const FORMATETC& FileNameMapFormat() noexcept;    // "FileNameMap"
const FORMATETC& FileNameMapFormatW() noexcept;   // "FileNameMapW"
const FORMATETC& ObjectOffsetFormat() noexcept;   // "Shell Object Offsets"
const FORMATETC& PerformEffectFormat() noexcept;  // "Performed DropEffect"

// The names under which the formats are registered.
inline constexpr char kShellIDListArrayName[] = "Shell IDList Array";
inline constexpr char kShellObjectOffsetsName[] = "Shell Object Offsets";
inline constexpr char kFileNameMapName[] = "FileNameMap";
inline constexpr char kFileNameMapWName[] = "FileNameMapW";
inline constexpr char kPerformedDropEffectName[] = "Performed DropEffect";

// ---------------------------------------------------------------------------
// Messages

inline constexpr char sShellInvalidParam[] = "パラメータが不正です。";
inline constexpr char sShSysMenuDuplicate[] = "TShSystemMenu は同一フォーム上に1つ以上置けません。";

// Caption of a drive whose medium arrived or left: label + " (E:)".
inline constexpr char sDriveCaptionFormat[] = " (%s)";
// Name of a shortcut file made for an item: item name + this suffix.
inline constexpr char sShortCutSuffix[] = "へのショートカット.lnk";
// Type name made up for an extension without one: extension + this suffix.
inline constexpr char sAutoFileSuffix[] = "_auto_file";

// ---------------------------------------------------------------------------
// Column captions of the folder contents list (by column number)

inline constexpr char STR_HEADER_NAME[] = "名前";
inline constexpr char STR_HEADER_SIZE[] = "サイズ";
inline constexpr char STR_HEADER_TYPE[] = "ファイルの種類";
inline constexpr char STR_HEADER_LASTWRITE[] = "更新日時";
inline constexpr char STR_HEADER_ATTR[] = "属性";

// ---------------------------------------------------------------------------
// Status-bar hints of the standard system-menu commands

inline constexpr char sSysMenuSizeHint[] = "このウインドウのサイズを変更します。";
inline constexpr char sSysMenuMoveHint[] = "このウインドウを画面の別の位置に移動します。";
inline constexpr char sSysMenuMinimizeHint[] = "このウインドウを最小化します。";
inline constexpr char sSysMenuMaximizeHint[] = "このウインドウを最大化します。";
inline constexpr char sSysMenuCloseHint[] = "このウインドウを閉じます。";
inline constexpr char sSysMenuRestoreHint[] = "このウインドウを通常の大きさに戻します。";

// ---------------------------------------------------------------------------
// Captions and hints of the shell actions. A hint is "tool-tip|status-bar text".

inline constexpr char sShellFileCutCaption[] = "切り取り(&T)";
inline constexpr char sShellFileCutHint[] = "切り取り|選択されたオブジェクトを削除し、クリップボードにコピーします。";
inline constexpr char sShellFileCopyCaption[] = "コピー(&C)";
inline constexpr char sShellFileCopyHint[] =
    "コピー|選択されたオブジェクトをクリップボードにコピーします。新しい位置に挿入するには [貼り付け] "
    "を選んでください。";
inline constexpr char sShellFilePasteCaption[] = "貼り付け(&P)";
inline constexpr char sShellFilePasteHint[] =
    "貼り付け|コピーしたまたは切り取ったオブジェクトを、選択された位置に貼り付けます。";
inline constexpr char sShellFileDeleteCaption[] = "削除(&D)";
inline constexpr char sShellFileDeleteHint[] = "削除|選択されたオブジェクトを削除します。";
inline constexpr char sShellFilePropertyCaption[] = "プロパティ(&R)";
inline constexpr char sShellFilePropertyHint[] = "プロパティ|選択されたオブジェクトのプロパティを表示します。";
inline constexpr char sShellFileSortByNameCaption[] = "名前順(&N)";
inline constexpr char sShellFileSortByNameHint[] = "名前順|オブジェクトを名前順に並び替えます。";
inline constexpr char sShellFileSortBySizeCaption[] = "サイズ順(&Z)";
inline constexpr char sShellFileSortBySizeHint[] = "サイズ順|オブジェクトをサイズ順に並び替えます。";
inline constexpr char sShellFileSortByTypeCaption[] = "種類順(&N)";
inline constexpr char sShellFileSortByTypeHint[] = "種類順|オブジェクトを種類順に並び替えます。";
inline constexpr char sShellFileSortByLastWriteCaption[] = "日付順(&D)";
inline constexpr char sShellFileSortByLastWriteHint[] = "日付順|オブジェクトを日付順に並び替えます。";
inline constexpr char sShellFileSortByAttrCaption[] = "属性順";
inline constexpr char sShellFileSortByAttrHint[] = "属性順|オブジェクトを属性順に並び替えます。";
inline constexpr char sLargeIconCaption[] = "大きいアイコン(&G)";
inline constexpr char sLargeIconHint[] = "大きいアイコン|オブジェクトを大きいアイコンで表示します。";
inline constexpr char sSmallIconCaption[] = "小さいアイコン(&M)";
inline constexpr char sSmallIconHint[] = "小さいアイコン|オブジェクトを小さいアイコンで表示します。";
inline constexpr char sListIconCaption[] = "一覧(&L)";
inline constexpr char sListIconHint[] = "一覧|オブジェクトを一覧表示します。";
inline constexpr char sReportIconCaption[] = "詳細(&D)";
inline constexpr char sReportIconHint[] = "詳細|ウインドウ内の各オブジェクトの情報を表示します。";
inline constexpr char sSwitchViewStyleCaption[] = "表示";  // no hint
inline constexpr char sSelectAllItemCaption[] = "すべて選択(&A)";
inline constexpr char sSelectAllItemHint[] = "すべて選択|ウインドウ内のすべてのオブジェクトを選択します。";
inline constexpr char sReverseSelectedItemCaption[] = "選択の切り替え(&I)";
inline constexpr char sReverseSelectedItemHint[] =
    "選択の切り替え|選択されているオブジェクトと選択されていないオブジェクトを切り替えます。";
