// The Japanese texts the core shows its user (status bar, printer name) and
// the settings files' header, written once here in UTF-8 so they can be read
// and searched for. The status bar, the settings files and the pages work in
// Shift-JIS: callers convert with util::Utf8ToCp932 where they hand a text on.
#pragma once

namespace msg {

// The print run's status line: kPrinting + file + kEscHint while a file
// prints, then one of the two endings.
inline constexpr char kPrinting[] = "印刷中：";
inline constexpr char kEscHint[] = "　[ESC:中断]";
inline constexpr char kFinished[] = "印刷終了しました。";
inline constexpr char kStopped[] = "[Esc]キーを押しましたので印刷を途中終了します。";
// The title of a run printed as one document.
inline constexpr char kRunTitle[] = "Kestrovan 印刷";

// The first line of a settings file, and the one older files carry.
inline constexpr char kSettingsHeader[] = "【Kestrovan設定ファイル】";
inline constexpr char kOldSettingsHeader[] = "【Morvelin設定ファイル】";
inline constexpr char kSettingsOpened[] = "Kestrovan設定ファイルを開きました。";
inline constexpr char kNotSettings[] = "このファイルは Kestrovan設定ファイルではありません";
inline constexpr char kSettingsDamaged[] = "Kestrovan設定ファイルが開けませんでした。";
inline constexpr char kSettingsSaved[] = "Kestrovan設定ファイルを保存しました。";
inline constexpr char kSettingsNotSaved[] = "Kestrovan設定ファイルが保存出来ませんでした。";

// A pen or line-type table taken over: kImportHead + file + one of the tails.
inline constexpr char kImportHead[] = "ファイル ";
inline constexpr char kImportedPens[] = " から線色・線幅設定を読み取りました。";
inline constexpr char kImportedLineTypes[] = " から線種設定を読み取りました。";

// The printer's name when the system's default printer is used because none
// was chosen.
inline constexpr char kDefaultPrinter[] = "<標準プリンタ>";

// What became of a file of a print run, as the window lists it after the
// file's name.
inline constexpr char kNoSuchFile[] = "ファイルがありません";
inline constexpr char kNotAFile[] = "ファイルではありません";
inline constexpr char kEmptyFile[] = "空のファイルです";
inline constexpr char kNotDrawing[] = "図面ファイルではありません";
inline constexpr char kOutOfMemory[] = "メモリが足りないため読めません";
inline constexpr char kTooLarge[] = "図面としては大きすぎるため読みません（1 GiB まで）";
inline constexpr char kUnreadable[] = "ファイルを読めません";
inline constexpr char kDamaged[] = "ファイルが壊れています（読めた所まで印刷）";
inline constexpr char kImagesNotUnpacked[] = "図面に埋め込まれた画像を展開できませんでした（画像なしで印刷）";
inline constexpr char kCutShort[] = "ブロックの入れ子や図形の数が多すぎるため一部を省いて印刷";
inline constexpr char kImagesMissing[] = "画像が見つからないか読めないため省いて印刷：";
inline constexpr char kNothingToPrint[] = "印刷するものがありません（ページなし）";
inline constexpr char kStoppedInside[] = "中止したため途中まで印刷";
inline constexpr char kNotReached[] = "中止したため印刷していません";
// kestrovan-web's result table: a file whose pages never reached the PDF,
// and one the print program died on (the others printed again without it).
inline constexpr char kWebNotWritten[] = "PDFを書き出せなかったため印刷されていません";
inline constexpr char kWebDied[] = "この図面で印刷が異常終了したため、この図面を除いて印刷しました";

}  // namespace msg
