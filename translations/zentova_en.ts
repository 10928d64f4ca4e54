<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Boxes</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>使い方: zentova [オプション]
Zentova: その日の処理件数を数える、常に手前に表示される細い帯。

オプション:
  -h, --help     この説明を表示します。
  -v, --version  版を表示します。
  --count N      起動中の Zentova のカウンター N（左から 1〜5）を一回の数だけ増やします。
  --by K         --count と一緒に: 一回の数ではなく K（1〜1000）を足します。
  --uncount N    起動中の Zentova のカウンター N を一回の数だけ減らします（0 より下にはなりません）。
  --undo         起動中の Zentova の、今日の最後の変更を取り消します。
  --focus        起動中の Zentova の帯にキーボードを渡します。

終了状態: 0 受け付けた、1 取り消すものがない（--undo）、2 引数の誤り、
3 Zentova が起動していない（または終了中）、4 項目名のないカウンター、
5 32767 を超える。
詳しくは man zentova。
</source>
        <translation>Usage: zentova [options]
Zentova: a thin, always-on-top strip that counts the cases handled in a day.

Options:
  -h, --help     Shows this help.
  -v, --version  Shows the version.
  --count N      Adds the step of counter N (1 to 5, from the left) of the running Zentova.
  --by K         With --count: adds K (1 to 1000) instead of the step.
  --uncount N    Takes the step of counter N away from the running Zentova (never below 0).
  --undo         Takes back the last change of the day in the running Zentova.
  --focus        Gives the running Zentova&apos;s strip the keyboard.

Exit status: 0 accepted, 1 nothing to take back (--undo), 2 wrong arguments,
3 Zentova is not running (or is closing), 4 the counter has no title,
5 past 32767.
See man zentova.
</translation>
    </message>
    <message>
        <source>(使い方: zentova [--count N [--by K] | --uncount N | --undo | --focus | --help | --version]、N は 1 から 5)</source>
        <translation>(usage: zentova [--count N [--by K] | --uncount N | --undo | --focus | --help | --version], N from 1 to 5)</translation>
    </message>
    <message>
        <source>起動中の Zentova のカウンター N（左から 1〜5）を一回の数だけ増やします。</source>
        <translation>Adds the step of counter N (1 to 5, from the left) of the running Zentova.</translation>
    </message>
    <message>
        <source>起動中の Zentova のカウンター N を一回の数だけ減らします（0 より下にはなりません）。</source>
        <translation>Takes the step of counter N away from the running Zentova (never below 0).</translation>
    </message>
    <message>
        <source>--count と一緒に: カウンターの一回の数ではなく K（1〜1000）を足します。</source>
        <translation>With --count: adds K (1 to 1000) instead of the counter&apos;s step.</translation>
    </message>
    <message>
        <source>起動中の Zentova の、今日の最後の変更を取り消します。</source>
        <translation>Takes back the last change of the day in the running Zentova.</translation>
    </message>
    <message>
        <source>オプションの値がありません。</source>
        <translation>An option has no value.</translation>
    </message>
    <message>
        <source>不明なオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>余分な引数があります: %1</source>
        <translation>Extra arguments: %1</translation>
    </message>
    <message>
        <source>--undo は一つだけで使います。</source>
        <translation>--undo is used alone.</translation>
    </message>
    <message>
        <source>--focus は一つだけで使います。</source>
        <translation>--focus is used alone.</translation>
    </message>
    <message>
        <source>起動中の Zentova の帯にキーボードを渡します。</source>
        <translation>Gives the running Zentova&apos;s strip the keyboard.</translation>
    </message>
    <message>
        <source>--by は --count と一緒に使います。</source>
        <translation>--by goes with --count.</translation>
    </message>
    <message>
        <source>--count と --uncount は一度に一つだけです。</source>
        <translation>One --count or --uncount at a time.</translation>
    </message>
    <message>
        <source>カウンターの番号は 1 から 5 です。</source>
        <translation>Counters are numbered 1 to 5.</translation>
    </message>
    <message>
        <source>--by は --count と一緒に一度だけ使います。</source>
        <translation>--by goes once, with --count.</translation>
    </message>
    <message>
        <source>--by の数は 1 から 1000 です。</source>
        <translation>--by takes a number from 1 to 1000.</translation>
    </message>
    <message>
        <source>帯を表示する部品 (zentova_strip.so) が見つかりません (the strip&apos;s module could not be loaded)</source>
        <translation>The strip&apos;s module (zentova_strip.so) could not be loaded</translation>
    </message>
    <message>
        <source>Zentova に件数を渡せません。%1 はソケットではありません (%1 is not a socket).</source>
        <translation>Cannot pass the count to Zentova: %1 is not a socket.</translation>
    </message>
    <message>
        <source>Zentova は起動していますが、%1 で件数を受け付けていません。起動時のメッセージを見てください (Zentova runs, but does not listen at %1: see what it said as it started).</source>
        <translation>Zentova runs, but does not listen at %1: see what it said as it started.</translation>
    </message>
    <message>
        <source>Zentova は起動していません (Zentova is not running).</source>
        <translation>Zentova is not running.</translation>
    </message>
    <message>
        <source>Zentova に件数を渡せません (%1): %2</source>
        <translation>Cannot pass the count to Zentova (%1): %2</translation>
    </message>
    <message>
        <source>取り消すものがありません (nothing to take back).</source>
        <translation>Nothing to take back.</translation>
    </message>
    <message>
        <source>%1 番目の項目には項目名がないので数えません (counter %1 has no title; nothing was counted).</source>
        <translation>Counter %1 has no title, so nothing was counted.</translation>
    </message>
    <message>
        <source>%1 番目の項目は 32767 を超えるので数えません (counter %1 would pass 32767; nothing was counted).</source>
        <translation>Counter %1 would pass 32767, so nothing was counted.</translation>
    </message>
    <message>
        <source>Zentova は終了するところです (Zentova is closing).</source>
        <translation>Zentova is closing.</translation>
    </message>
    <message>
        <source>Zentova が応答しません (Zentova did not answer).</source>
        <translation>Zentova did not answer.</translation>
    </message>
    <message>
        <source>%1 は自分専用のフォルダーではありません</source>
        <translation>%1 is not a folder of your own</translation>
    </message>
    <message>
        <source>%1 はソケットの名前には長すぎます</source>
        <translation>%1 is too long for a socket name</translation>
    </message>
    <message>
        <source>件数を渡すソケットを置くフォルダーがありません (no folder for the count socket): %1</source>
        <translation>No folder for the count socket: %1</translation>
    </message>
    <message>
        <source>--count を受け付けられません (--count cannot reach this copy): %1</source>
        <translation>--count cannot reach this copy: %1</translation>
    </message>
    <message>
        <source>%1 をロックできません。あとからこのフォルダーで起動する 2 つ目の Zentova は止められません</source>
        <translation>%1 cannot be locked: a second Zentova started on this folder later would not be stopped</translation>
    </message>
    <message>
        <source>件数を保存できませんでした: %1</source>
        <translation>The counts could not be stored: %1</translation>
    </message>
    <message>
        <source>（zentova_sound.so が見つかりません）</source>
        <translation> (zentova_sound.so not found)</translation>
    </message>
    <message>
        <source>サウンドのプラグインを読み込めないため、チャイムの代わりにビープを鳴らします%1</source>
        <translation>The sound plugin could not be loaded: the chime is a beep%1</translation>
    </message>
</context>
<context>
    <name>Counters</name>
    <message>
        <source>Countday.ini がカウントログと合わないため、その日の件数をログから数え直しました。</source>
        <translation>Countday.ini did not match the count log, so the day&apos;s counts were taken from the log again.</translation>
    </message>
    <message>
        <source>設定 (%1)</source>
        <translation>settings (%1)</translation>
    </message>
    <message>
        <source>件数の記録 (%1) に書き込めません: %2
件数は Countdata.dat に保存されます。記録は書けるようになったときに続きから書きます。</source>
        <translation>The count log (%1) cannot be written: %2
The counts are kept in Countdata.dat; the log goes on from where it stopped once it can be written.</translation>
    </message>
    <message>
        <source>%1 は別の形式で保存し直されているため、この月の件数の記録は %2 に続けて書きます。</source>
        <translation>%1 was saved again in another format: this month&apos;s count log goes on in %2.</translation>
    </message>
    <message>
        <source>項目%1</source>
        <translation>Counter %1</translation>
    </message>
    <message>
        <source>修正 %1 (%2)</source>
        <translation>Correction of %1 (%2)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>アプリケーション定義またはオブジェクト定義のエラーです。</source>
        <translation>Application-defined or object-defined error.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>オーバーフローしました。</source>
        <translation>Overflow.</translation>
    </message>
    <message>
        <source>インデックスが有効範囲にありません。</source>
        <translation>Subscript out of range.</translation>
    </message>
    <message>
        <source>型が一致しません。</source>
        <translation>Type mismatch.</translation>
    </message>
    <message>
        <source>ファイル名または番号が不正です。</source>
        <translation>Bad file name or number.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>File not found.</translation>
    </message>
    <message>
        <source>デバイス I/O エラーです。</source>
        <translation>Device I/O error.</translation>
    </message>
    <message>
        <source>ディスクの空き容量が不足しています。</source>
        <translation>Disk full.</translation>
    </message>
    <message>
        <source>書き込みできません。</source>
        <translation>Permission denied.</translation>
    </message>
    <message>
        <source>パス名が無効です。</source>
        <translation>Path/File access error.</translation>
    </message>
    <message>
        <source>パスが見つかりません。</source>
        <translation>Path not found.</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>プログラムのフォルダー名が UTF-8 ではないため、その中の Countdata.dat は使えません。データは %1 に置きます (the program&apos;s folder name is not UTF-8: the data is kept in %1).</source>
        <translation>The program&apos;s folder name is not UTF-8, so Countdata.dat cannot be kept in it: the data is kept in %1.</translation>
    </message>
    <message>
        <source>%1 は他のアカウントも書き込めるフォルダーです。Qt は起動の途中でこのフォルダーから設定やプラグインを読み込むため、ここからは起動しません。自分専用のフォルダーに置いてください (a folder others can write: Qt would load what they put there while the program starts).</source>
        <translation>%1 is a folder that other accounts can write. Qt would load settings and plugins from it while the program starts, so it does not start from here. Put it in a folder of your own.</translation>
    </message>
    <message>
        <source> 置かれているもの (found there): %1</source>
        <translation> Found there: %1</translation>
    </message>
    <message>
        <source>Zentova は既に起動しています。</source>
        <translation>Zentova is already running.</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>時間ごとの件数を読み込んでいます...</source>
        <translation>Reading the hours...</translation>
    </message>
    <message>
        <source>UTF-8 のテキストではありません</source>
        <translation>not UTF-8 text</translation>
    </message>
    <message>
        <source>CSV で保存: %1</source>
        <translation>Save as CSV: %1</translation>
    </message>
    <message>
        <source>履歴 (history.csv) に書き込めませんでした（%1）。
この日の件数は %2 に保存しました。</source>
        <translation>The history (history.csv) could not be written (%1).
The day&apos;s counts were kept in %2.</translation>
    </message>
    <message>
        <source>目標 %1</source>
        <translation>Target %1</translation>
    </message>
    <message>
        <source>月</source>
        <comment>Monday</comment>
        <translation>Mon</translation>
    </message>
    <message>
        <source>火</source>
        <comment>Tuesday</comment>
        <translation>Tue</translation>
    </message>
    <message>
        <source>水</source>
        <comment>Wednesday</comment>
        <translation>Wed</translation>
    </message>
    <message>
        <source>木</source>
        <comment>Thursday</comment>
        <translation>Thu</translation>
    </message>
    <message>
        <source>金</source>
        <comment>Friday</comment>
        <translation>Fri</translation>
    </message>
    <message>
        <source>土</source>
        <comment>Saturday</comment>
        <translation>Sat</translation>
    </message>
    <message>
        <source>日</source>
        <comment>Sunday</comment>
        <translation>Sun</translation>
    </message>
    <message>
        <source>
合計: %1</source>
        <translation>
Total: %1</translation>
    </message>
    <message>
        <source>%1 〜 %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>%1年%2月</source>
        <translation>%2/%1</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>%1：履歴</source>
        <translation>%1: History</translation>
    </message>
    <message>
        <source>今週</source>
        <translation>This week</translation>
    </message>
    <message>
        <source>今月</source>
        <translation>This month</translation>
    </message>
    <message>
        <source>先月</source>
        <translation>Last month</translation>
    </message>
    <message>
        <source>すべて</source>
        <translation>Everything</translation>
    </message>
    <message>
        <source>期間</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>表示中の行を表計算に貼り付けられる形でコピーします</source>
        <translation>Copies the rows shown, ready to paste into a spreadsheet</translation>
    </message>
    <message>
        <source>グラフの項目</source>
        <translation>Counters charted</translation>
    </message>
    <message>
        <source>画像をコピー(&amp;I)</source>
        <translation>Copy &amp;image</translation>
    </message>
    <message>
        <source>グラフを画像としてコピーします</source>
        <translation>Copies the charts as an image</translation>
    </message>
    <message>
        <source>CSV で保存(&amp;S)...</source>
        <translation>&amp;Save as CSV...</translation>
    </message>
    <message>
        <source>表示中の行を CSV ファイルに保存します</source>
        <translation>Saves the rows shown to a CSV file</translation>
    </message>
    <message>
        <source>日ごとの件数</source>
        <translation>Counts by day</translation>
    </message>
    <message>
        <source>日ごとの件数のグラフ</source>
        <translation>Chart of counts by day</translation>
    </message>
    <message>
        <source>期間:</source>
        <translation>Range:</translation>
    </message>
    <message>
        <source>グラフ:</source>
        <translation>Chart:</translation>
    </message>
    <message>
        <source>履歴を読み込んでいます...</source>
        <translation>Reading the history...</translation>
    </message>
    <message>
        <source>すべての項目</source>
        <translation>All counters</translation>
    </message>
    <message>
        <source>日</source>
        <comment>a bar&apos;s span</comment>
        <translation>day</translation>
    </message>
    <message>
        <source>週</source>
        <comment>a bar&apos;s span</comment>
        <translation>week</translation>
    </message>
    <message>
        <source>月</source>
        <comment>a bar&apos;s span</comment>
        <translation>month</translation>
    </message>
    <message>
        <source>%1の%2ごとの件数の棒グラフ。件数はありません。</source>
        <translation>Bar chart of counts by %2, %1. No counts.</translation>
    </message>
    <message>
        <source>%1の%2ごとの件数の棒グラフ。合計 %3 件、最も多い%2は %4 の %5 件。</source>
        <translation>Bar chart of counts by %2, %1. Total %3; the busiest %2 was %4 with %5.</translation>
    </message>
    <message>
        <source>%1 の時間ごと</source>
        <translation>%1 by hour</translation>
    </message>
    <message>
        <source>%1 の時間ごとの件数のグラフ</source>
        <translation>Chart of counts by hour, %1</translation>
    </message>
    <message>
        <source>この日は時刻の記録がありません（件数を時刻とともに記録し始める前の日です）。</source>
        <translation>This day has no times (it is from before counts were logged with their times).</translation>
    </message>
    <message>
        <source>%1 時台</source>
        <translation>%1:00 to %1:59</translation>
    </message>
    <message>
        <source>この日の時間ごとの件数はありません。</source>
        <translation>No counts by hour on this day.</translation>
    </message>
    <message>
        <source>時間ごとの件数の棒グラフ。合計 %1 件、最も多いのは %2 時台の %3 件。</source>
        <translation>Bar chart of counts by hour. Total %1; the busiest hour was %2:00 with %3.</translation>
    </message>
    <message>
        <source>%1 達成 %2 / %3 日</source>
        <translation>%1 met %2 / %3 days</translation>
    </message>
    <message>
        <source>目標: %1</source>
        <translation>Targets: %1</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation>   </translation>
    </message>
    <message numerus="yes">
        <source>期間の合計（%n 日）</source>
        <translation>
            <numerusform>Range total (%n day)</numerusform>
            <numerusform>Range total (%n days)</numerusform>
        </translation>
    </message>
    <message>
        <source>&#x3000;%1: %2</source>
        <translation>   %1: %2</translation>
    </message>
    <message>
        <source>&#x3000;合計: %1</source>
        <translation>   Total: %1</translation>
    </message>
    <message>
        <source>%1（%2 〜 %3）</source>
        <translation>%1 (%2 to %3)</translation>
    </message>
    <message>
        <source>この期間の記録はありません</source>
        <translation>No counts in this range</translation>
    </message>
    <message>
        <source>%1 の時間ごと（設定で直した %2 件は含みません）</source>
        <translation>%1 by hour (without %2 set in the settings)</translation>
    </message>
    <message>
        <source>修正(&amp;E)...</source>
        <translation>Corr&amp;ect...</translation>
    </message>
    <message>
        <source>選んだ日の件数を直します。今日の件数は Set で直します。</source>
        <translation>Corrects the chosen day&apos;s counts. Today&apos;s counts are corrected with Set.</translation>
    </message>
    <message>
        <source>%1：%2 の修正</source>
        <translation>%1: correcting %2</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Keys</name>
    <message>
        <source>%1 はほかのプログラムが使っているため、このキーでは数えられません。</source>
        <translation>Another program already holds %1, so Zentova cannot count with it. </translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>最後に届いた行: %1</source>
        <translation>Last row received: %1</translation>
    </message>
    <message>
        <source>%1(&amp;%2):</source>
        <translation>&amp;%2 %1:</translation>
    </message>
    <message>
        <source>%1：オプション</source>
        <translation>%1: Options</translation>
    </message>
    <message>
        <source> 時</source>
        <translation>:00</translation>
    </message>
    <message>
        <source>一日の始まり</source>
        <translation>Day starts at</translation>
    </message>
    <message>
        <source>この時刻に日付が切り替わります。夜勤の件数は始めた日の分になります。</source>
        <translation>The day turns at this hour: the counts of a night shift belong to the day it began.</translation>
    </message>
    <message>
        <source>切り替え時に件数を 0 に戻す(&amp;R)</source>
        <translation>&amp;Reset the counts to 0 when the day turns</translation>
    </message>
    <message>
        <source>一日の始まり(&amp;D):</source>
        <translation>&amp;Day starts at:</translation>
    </message>
    <message>
        <source>%1 の%2</source>
        <translation>%2 of %1</translation>
    </message>
    <message>
        <source>一日の目標</source>
        <translation>Daily target</translation>
    </message>
    <message>
        <source>目標</source>
        <translation>target</translation>
    </message>
    <message>
        <source>1 日の目標件数です。達成すると枠の下の線の色が変わります。0 は目標なしです。</source>
        <translation>The day&apos;s target: the line under the counter changes colour when it is met. 0 is no target.</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>一回の数</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>クリック、キー、--count で足す数です。右クリックでは同じ数を減らします。</source>
        <translation>What a click, a key or --count adds; a right click takes as much away.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>チーム</source>
        <translation>Team</translation>
    </message>
    <message>
        <source>チームのサーバー</source>
        <translation>Team server</translation>
    </message>
    <message>
        <source>PostgreSQL の接続文字列か URI です。空にするとチームに加わりません。パスワードは ~/.pgpass に書きます。</source>
        <translation>A PostgreSQL connection string or URI. Leave it empty to stay out of a team. Put the password in ~/.pgpass.</translation>
    </message>
    <message>
        <source>チームでの名前</source>
        <translation>Name in the team</translation>
    </message>
    <message>
        <source>サーバー(&amp;V):</source>
        <translation>Ser&amp;ver:</translation>
    </message>
    <message>
        <source>名前(&amp;N):</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>サーバーの欄にパスワードは書けません。~/.pgpass に書いてください（README を参照）。</source>
        <translation>The server field cannot hold a password. Put it in ~/.pgpass (see the README).</translation>
    </message>
    <message>
        <source>サーバーは host=... dbname=... の形か postgresql:// で始まる URI で書いてください。</source>
        <translation>Write the server as host=... dbname=... or as a URI starting with postgresql://.</translation>
    </message>
    <message>
        <source>目標に届いたらチャイムを鳴らす(&amp;C)</source>
        <translation>&amp;Chime when a target is met</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>数える</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>減らす</source>
        <translation>Take away</translation>
    </message>
    <message>
        <source>%1 を数えるキー</source>
        <translation>Key that counts %1</translation>
    </message>
    <message>
        <source>%1 を減らすキー</source>
        <translation>Key that takes one from %1</translation>
    </message>
    <message>
        <source>空のときは、数えるキーに Shift を足したキーで減らします。</source>
        <translation>When empty, the count key with Shift takes one away.</translation>
    </message>
    <message>
        <source>元に戻すキー</source>
        <translation>Undo key</translation>
    </message>
    <message>
        <source>ストリップに移るキー</source>
        <translation>Key that moves the keyboard to the strip</translation>
    </message>
    <message>
        <source>元に戻す:</source>
        <translation>Undo:</translation>
    </message>
    <message>
        <source>ストリップへ:</source>
        <translation>To the strip:</translation>
    </message>
    <message>
        <source>このデスクトップでは、ほかのプログラムを使っている間はこのキーが効きません。デスクトップのショートカットを zentova-shortcuts で作ってください。</source>
        <translation>On this desktop these keys do not work while another program is in use. Make desktop shortcuts with zentova-shortcuts instead.</translation>
    </message>
    <message>
        <source>このデスクトップでは、このキーは X のプログラムを使っている間だけ効きます。どこでも効かせるには、デスクトップのショートカットを zentova-shortcuts で作ってください。</source>
        <translation>On this desktop these keys work only while an X program is in use. To have them work everywhere, make desktop shortcuts with zentova-shortcuts.</translation>
    </message>
    <message>
        <source>%1 が 2 か所に入っています。キーはひとつの働きにひとつです。</source>
        <translation>%1 is given twice. A key can do one thing only.</translation>
    </message>
    <message>
        <source>別のキーを選んでください。</source>
        <translation>Choose another key.</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>%1 の色</source>
        <translation>Colour of %1</translation>
    </message>
    <message>
        <source>既定の色(&amp;L)</source>
        <translation>Defau&amp;lt colours</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>項目名（５文字）</source>
        <translation>Titles (5 chars)</translation>
    </message>
    <message>
        <source>ラップ件数</source>
        <translation>Laps</translation>
    </message>
    <message>
        <source>タイマー</source>
        <translation>Timer</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>カウント値＜合計：件＞</source>
        <translation>Counts (in cases)</translation>
    </message>
    <message>
        <source>カウンター %1</source>
        <translation>Counter %1</translation>
    </message>
    <message>
        <source>%1 の件数</source>
        <translation>%1 count</translation>
    </message>
    <message>
        <source>カウンター %1 の項目名</source>
        <translation>Title of counter %1</translation>
    </message>
    <message>
        <source>5 文字まで</source>
        <translation>Up to 5 characters</translation>
    </message>
    <message>
        <source>アラームの時</source>
        <translation>Alarm hour</translation>
    </message>
    <message>
        <source>アラームの分</source>
        <translation>Alarm minute</translation>
    </message>
    <message>
        <source>アラーム ON</source>
        <translation>Alarm on</translation>
    </message>
    <message>
        <source>アラーム OFF</source>
        <translation>Alarm off</translation>
    </message>
    <message>
        <source>設定を反映して閉じます</source>
        <translation>Applies the settings and closes</translation>
    </message>
    <message>
        <source>%1：設定</source>
        <translation>%1: Settings</translation>
    </message>
    <message>
        <source>%1は -32768 から 32767 までの数にしてください。</source>
        <translation>Enter a number from -32768 to 32767 for %1.</translation>
    </message>
    <message>
        <source>%1を数で入れてください。</source>
        <translation>Enter a number for %1.</translation>
    </message>
    <message>
        <source>「%1」の件数</source>
        <translation>the count of “%1”</translation>
    </message>
</context>
<context>
    <name>Strip</name>
    <message>
        <source>チーム</source>
        <translation>Team</translation>
    </message>
    <message>
        <source>は～い！！&#x3000;%1時 %2分でーす♪</source>
        <translation>Hi there! It&apos;s %1:%2!</translation>
    </message>
    <message>
        <source>タイマーアラーム</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>項目名、件数、アラームの設定画面を開きます</source>
        <translation>Opens the settings: titles, counts and the alarm</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>現在の時刻</source>
        <translation>The time now</translation>
    </message>
    <message>
        <source>メニュー</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>履歴(&amp;H)...</source>
        <translation>&amp;History...</translation>
    </message>
    <message>
        <source>オプション(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U): %1</source>
        <translation>&amp;Undo: %1</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>カウンター %1</source>
        <translation>Counter %1</translation>
    </message>
    <message>
        <source>%1 を %2 増やす</source>
        <translation>Add %2 to %1</translation>
    </message>
    <message>
        <source>右クリックで %1 減らします</source>
        <translation>A right click takes %1 away</translation>
    </message>
    <message>
        <source>%1: クリックで %2 増やし、右クリックで %2 減らします</source>
        <translation>%1: a click adds %2, a right click takes %2 away</translation>
    </message>
    <message>
        <source>%1 ずつ</source>
        <translation>by %1</translation>
    </message>
    <message>
        <source>%1: %2 ずつ</source>
        <translation>%1: in steps of %2</translation>
    </message>
    <message>
        <source>%1 の件数</source>
        <translation>%1 count</translation>
    </message>
    <message>
        <source>%1 の件数 %2</source>
        <translation>%1 count %2</translation>
    </message>
    <message>
        <source>Set で項目名を入れると数え始められます</source>
        <translation>Name a counter under Set to start counting</translation>
    </message>
    <message>
        <source>まず Set で項目名を付けてください。名前を付けたカウンターが表示されます。</source>
        <translation>First name the counters with Set: the counters with a title are shown.</translation>
    </message>
    <message>
        <source>先ほどの件数を再表示させますか？</source>
        <translation>Show the counts from before again?</translation>
    </message>
    <message>
        <source>お疲れ様でした。今日の処理件数は %1件でした。</source>
        <translation>Well done! You handled %1 cases today.</translation>
    </message>
    <message>
        <source>時刻 %1</source>
        <translation>Time %1</translation>
    </message>
    <message>
        <source>右クリックでメニュー、ドラッグで移動、ダブルクリックで終了</source>
        <translation>Right click: the menu. Drag: move the strip. Double click: quit.</translation>
    </message>
    <message>
        <source>目標 %1 達成</source>
        <translation>Target %1 met</translation>
    </message>
    <message>
        <source>目標 %1 まで あと %2</source>
        <translation>%2 to go to the target of %1</translation>
    </message>
    <message>
        <source>チーム(&amp;T)...</source>
        <translation>&amp;Team...</translation>
    </message>
    <message>
        <source>オプションで別のキーを選んでください。</source>
        <translation>Choose another key in Options.</translation>
    </message>
    <message>
        <source>0 に戻す(&amp;R)</source>
        <translation>&amp;Reset to 0</translation>
    </message>
    <message>
        <source>すべて(&amp;A)</source>
        <translation>&amp;All</translation>
    </message>
</context>
<context>
    <name>Team</name>
    <message>
        <source>このデータフォルダーは作られた場所にない（写されたか移された）ため、チームでは新しいフォルダーとして数えます。</source>
        <translation>This data folder is not where it was made (it was copied or moved), so the team counts it as a new folder.</translation>
    </message>
    <message numerus="yes">
        <source>送れない行があります（%n 行、Teamoutbox.rejected.csv）</source>
        <translation>
            <numerusform>The server refused %n row (kept in Teamoutbox.rejected.csv)</numerusform>
            <numerusform>The server refused %n rows (kept in Teamoutbox.rejected.csv)</numerusform>
        </translation>
    </message>
    <message>
        <source>チームのサーバーにログインできません</source>
        <translation>Cannot log in to the team&apos;s server</translation>
    </message>
    <message>
        <source>チームのサーバーに %1 から未接続です</source>
        <translation>Not connected to the team&apos;s server since %1</translation>
    </message>
    <message>
        <source>チームのサーバー: %1</source>
        <translation>the team&apos;s server: %1</translation>
    </message>
    <message>
        <source>チームに送る変更 (%1) を書き込めません: %2</source>
        <translation>The changes for the team (%1) cannot be written: %2</translation>
    </message>
    <message>
        <source>%1：チーム</source>
        <translation>%1: Team</translation>
    </message>
    <message>
        <source>期間</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>今日</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>今週</source>
        <translation>This week</translation>
    </message>
    <message>
        <source>今月</source>
        <translation>This month</translation>
    </message>
    <message>
        <source>期間(&amp;P):</source>
        <translation>&amp;Period:</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>CSV で保存(&amp;S)...</source>
        <translation>&amp;Save as CSV...</translation>
    </message>
    <message>
        <source>%1 に接続しています...</source>
        <translation>Connecting to %1...</translation>
    </message>
    <message>
        <source>人ごとの件数のグラフ</source>
        <translation>Chart of counts by person</translation>
    </message>
    <message>
        <source>名前で絞り込み</source>
        <translation>Filter by name</translation>
    </message>
    <message>
        <source>検索(&amp;F):</source>
        <translation>&amp;Find:</translation>
    </message>
    <message>
        <source>人ごとの件数</source>
        <translation>Counts by person</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>最後の変更</source>
        <translation>Last change</translation>
    </message>
    <message>
        <source>チームのサーバーに接続できません: %1</source>
        <translation>Cannot reach the team&apos;s server: %1</translation>
    </message>
    <message>
        <source>%1 人（%2 に読み込み。スタンバイから読んでいます: 最後の変更は %3 秒前）</source>
        <translation>%1 people (read at %2, from a standby: its last change was %3 s ago)</translation>
    </message>
    <message>
        <source>%1 人（%2 に読み込み）</source>
        <translation>%1 people (read at %2)</translation>
    </message>
    <message>
        <source>接続中</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>未接続（最後 %1）</source>
        <translation>Not connected (last %1)</translation>
    </message>
    <message>
        <source>未接続</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>ほか %1 人</source>
        <translation>%1 others</translation>
    </message>
    <message>
        <source>この期間の記録はありません</source>
        <translation>No counts in this range</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connection</translation>
    </message>
</context>
</TS>
