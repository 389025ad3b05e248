<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CacheFolderCommands</name>
    <message>
        <source>MS-IE Cache ﾌｫﾙﾀﾞ</source>
        <translation>MS-IE Cache folder</translation>
    </message>
    <message>
        <source>%1 ﾌｫﾙﾀﾞ</source>
        <translation>%1 folder</translation>
    </message>
    <message>
        <source> (ｷｬｯｼｭは読み取り専用です)</source>
        <translation> (the cache is read-only)</translation>
    </message>
    <message>
        <source>読み取り専用</source>
        <translation>Read-only</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭﾌｫﾙﾀﾞを開く(&amp;O)...</source>
        <translation>&amp;Open cache folder…</translation>
    </message>
    <message>
        <source>ﾚﾎﾟｰﾄの保存</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>ﾚﾎﾟｰﾄの保存(&amp;R)...</source>
        <translation>Save &amp;report…</translation>
    </message>
    <message>
        <source>ﾌﾟﾛﾊﾟﾃｨ(&amp;R)</source>
        <translation>P&amp;roperties</translation>
    </message>
    <message>
        <source>回復したﾚｺｰﾄﾞを表示(&amp;U)</source>
        <translation>Show rec&amp;overed records</translation>
    </message>
    <message>
        <source>&apos;%1&apos; を開けませんでした。
%2</source>
        <translation>Cannot open &apos;%1&apos;.
%2</translation>
    </message>
</context>
<context>
    <name>Catalogue</name>
    <message>
        <source>ｷｬｯｼｭにﾌｧｲﾙがありません。</source>
        <translation>The cache holds no files.</translation>
    </message>
</context>
<context>
    <name>CopyDirCheck</name>
    <message>
        <source>ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定</source>
        <translation>Destination folder</translation>
    </message>
</context>
<context>
    <name>DefFileCheck</name>
    <message>
        <source>暗黙のﾌｧｲﾙ名(必須)は必ず必要です。

よくわからない場合は、&apos;index.html&apos;と入力してください。</source>
        <translation>A default file name is required.

If you are not sure, enter &apos;index.html&apos;.</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)を入力してください。

必要ない場合は、ﾁｪｯｸをはずしてください。</source>
        <translation>Enter the additional default file name.

If you do not need it, clear its tick.</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)には、暗黙のﾌｧｲﾙ名(必須)と違う名前を入力してください。

同じ名前のﾍﾟｰｼﾞは、自分自身へ移動し続けます。</source>
        <translation>Enter an additional default file name that differs from the default file name.

A page of the same name would keep redirecting to itself.</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ名設定</source>
        <translation>Default file names</translation>
    </message>
</context>
<context>
    <name>ExportJob</name>
    <message>
        <source>ｷｬｯｼｭからｺﾋﾟｰしています...</source>
        <translation>Copying from the cache…</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭから削除しています...</source>
        <translation>Deleting from the cache…</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭから移動しています...</source>
        <translation>Moving from the cache…</translation>
    </message>
    <message>
        <source>&apos;%1&apos; から &apos;%2&apos; へ</source>
        <translation>From &apos;%1&apos; to &apos;%2&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; から </source>
        <translation>From &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos;ﾌｫﾙﾀﾞが作成できませんでした。
%2</source>
        <translation>Cannot create the folder &apos;%1&apos;.
%2</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰできませんでした。</source>
        <translation>Cannot copy</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞの作成</source>
        <translation>Create folder</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ(ｵﾌﾟｼｮﾝ)がｺﾋﾟｰできませんでした。</source>
        <translation>Cannot write the redirect page</translation>
    </message>
</context>
<context>
    <name>ImportJob</name>
    <message>
        <source>&apos;%1&apos; は &apos;%2&apos; と同じ URL (%3) になるため、ｺﾋﾟｰしませんでした。</source>
        <translation>&apos;%1&apos; was not copied: it has the same URL (%3) as &apos;%2&apos;.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; から &apos;%2&apos; へ</source>
        <translation>From &apos;%1&apos; to &apos;%2&apos;</translation>
    </message>
    <message>
        <source>不明なｴﾗｰが発生しました。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭへｺﾋﾟｰしています...</source>
        <translation>Copying into the cache…</translation>
    </message>
    <message>
        <source>同じ URL のﾌｧｲﾙ</source>
        <translation>Files with the same URL</translation>
    </message>
</context>
<context>
    <name>JobProgress</name>
    <message>
        <source>あと %1 個</source>
        <translation>%1 left</translation>
    </message>
</context>
<context>
    <name>OverwriteQuestion</name>
    <message>
        <source>このﾌｫﾙﾀﾞには既に&apos;%1&apos;ﾌｧｲﾙが存在します。</source>
        <translation>This folder already contains a file named &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの上書きの確認</source>
        <translation>Replace file</translation>
    </message>
</context>
<context>
    <name>ShellTypeInfo</name>
    <message>
        <source>%1 ﾌｧｲﾙ</source>
        <translation>%1 file</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ</source>
        <translation>File</translation>
    </message>
</context>
<context>
    <name>SizeDateTexts</name>
    <message>
        <source>%1 以上</source>
        <translation>%1 or more</translation>
    </message>
    <message>
        <source>範囲外</source>
        <translation>Out of range</translation>
    </message>
    <message>
        <source>%1 ﾊﾞｲﾄ</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>ｻｲｽﾞ : %1</source>
        <translation>Size: %1</translation>
    </message>
    <message>
        <source>更新日時 : %1、%2</source>
        <translation>Modified: %1, %2</translation>
    </message>
</context>
<context>
    <name>StatusTally</name>
    <message numerus="yes">
        <source>%n 個のｵﾌﾞｼﾞｪｸﾄ</source>
        <translation>
            <numerusform>%n item</numerusform>
            <numerusform>%n items</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 のｵﾌﾞｼﾞｪｸﾄを選択</source>
        <translation>%1 of %2 items selected</translation>
    </message>
</context>
<context>
    <name>larkspool::FindBar</name>
    <message>
        <source>すべての種類</source>
        <translation>All types</translation>
    </message>
    <message>
        <source>ﾍﾟｰｼﾞ</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>画像</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>ｽｸﾘﾌﾟﾄ</source>
        <translation>Scripts</translation>
    </message>
    <message>
        <source>ｽﾀｲﾙｼｰﾄ</source>
        <translation>Stylesheets</translation>
    </message>
    <message>
        <source>音声と動画</source>
        <translation>Audio and video</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source> KB 超</source>
        <translation> KB or more</translation>
    </message>
    <message>
        <source>下限なし</source>
        <translation>No minimum</translation>
    </message>
    <message>
        <source> KB 未満</source>
        <translation> KB or less</translation>
    </message>
    <message>
        <source>上限なし</source>
        <translation>No maximum</translation>
    </message>
    <message>
        <source>検索(&amp;F):</source>
        <translation>&amp;Find:</translation>
    </message>
    <message>
        <source>URL、名前、ﾀｲﾄﾙの一部</source>
        <translation>Part of a URL, name or title</translation>
    </message>
    <message>
        <source>検索終了 (Esc)</source>
        <translation>Close find (Esc)</translation>
    </message>
    <message>
        <source>ｻｲｽﾞ(&amp;S):</source>
        <translation>&amp;Size:</translation>
    </message>
    <message>
        <source>～</source>
        <translation>to</translation>
    </message>
    <message>
        <source>更新日(&amp;D):</source>
        <translation>&amp;Modified:</translation>
    </message>
</context>
<context>
    <name>larkspool::FolderItemsModel</name>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>ﾀｲﾄﾙ</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>ｻｲｽﾞ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>更新日時</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>ｺﾝﾃﾝﾂ ﾀｲﾌﾟ</source>
        <translation>Content type</translation>
    </message>
    <message>
        <source>最終ｱｸｾｽ日時</source>
        <translation>Last accessed</translation>
    </message>
    <message>
        <source>ﾊﾟｰﾃｨｼｮﾝ</source>
        <translation>Partition</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ ﾌｫﾙﾀﾞ</source>
        <translation>File folder</translation>
    </message>
</context>
<context>
    <name>larkspool::HelpWindow</name>
    <message>
        <source>Larkspool for Windows ﾍﾙﾌﾟ</source>
        <translation>Larkspool for Windows Help</translation>
    </message>
    <message>
        <source>&lt;p&gt;ﾍﾙﾌﾟ ﾌｧｲﾙ &apos;%1&apos; が見つかりません。&lt;/p&gt;</source>
        <translation>&lt;p&gt;Cannot find the help file &apos;%1&apos;.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmConfirm</name>
    <message>
        <source>現在のﾌｧｲﾙ</source>
        <translation>Replace the existing file</translation>
    </message>
    <message>
        <source>に次の新しいﾌｧｲﾙを上書きしますか?</source>
        <translation>with this one?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>すべて上書き(&amp;A)</source>
        <translation>Yes to &amp;all</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>日付の新しいものをすべて上書き</source>
        <translation>Replace all older files</translation>
    </message>
    <message>
        <source>すべていいえ</source>
        <translation>No to all</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmDefFile</name>
    <message>
        <source>暗黙のﾌｧｲﾙ名(必須)</source>
        <translation>Default file name (required)</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)</source>
        <translation>Additional default file names (optional)</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Set</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ(C)</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmFileOp</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmFromLocal</name>
    <message>
        <source>ｺﾋﾟｰ元ﾌｫﾙﾀﾞ</source>
        <translation>Source folder</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞの参照(&amp;B)...</source>
        <translation>&amp;Browse…</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰするﾄﾞﾒｲﾝの選択</source>
        <translation>Domains to copy</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ開始(&amp;S)</source>
        <translation>&amp;Start copying</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭにｺﾋﾟｰしたいﾄﾞﾒｲﾝが含まれるﾌｫﾙﾀﾞを選択してください。</source>
        <translation>Choose the folder that holds the domains to copy into the cache.</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰするﾄﾞﾒｲﾝが選択されていません。</source>
        <translation>No domain to copy is selected.</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ開始</source>
        <translation>Start copying</translation>
    </message>
    <message>
        <source>ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ</source>
        <translation>Copy local files into the cache</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmMain</name>
    <message>
        <source>MS-IE Cache ﾌｫﾙﾀﾞ</source>
        <translation>MS-IE Cache folder</translation>
    </message>
    <message>
        <source>開いているﾌｫﾙﾀﾞ : </source>
        <translation>Open folder: </translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ先ﾌｫﾙﾀﾞ設定(&amp;S)...</source>
        <translation>&amp;Destination folder…</translation>
    </message>
    <message>
        <source>暗黙のﾌｧｲﾙ名設定(&amp;D)..</source>
        <translation>Default file &amp;names…</translation>
    </message>
    <message>
        <source>ﾛｰｶﾙﾌｧｲﾙをｷｬｯｼｭにｺﾋﾟｰ(&amp;C)...</source>
        <translation>&amp;Copy local files into the cache…</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;all</translation>
    </message>
    <message>
        <source>選択の反転(&amp;I)</source>
        <translation>&amp;Invert selection</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ(&amp;C)</source>
        <translation>&amp;Copy to folder…</translation>
    </message>
    <message>
        <source>移動(&amp;M)</source>
        <translation>&amp;Move to folder…</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete files</translation>
    </message>
    <message>
        <source>絞り込み(P)...</source>
        <translation>Filter by type…</translation>
    </message>
    <message>
        <source>検索(&amp;F)...</source>
        <translation>&amp;Find…</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ﾂｰﾙﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status bar</translation>
    </message>
    <message>
        <source>大きいｱｲｺﾝ(&amp;G)</source>
        <translation>Lar&amp;ge icons</translation>
    </message>
    <message>
        <source>小さいｱｲｺﾝ(&amp;M)</source>
        <translation>S&amp;mall icons</translation>
    </message>
    <message>
        <source>一覧(&amp;L)</source>
        <translation>&amp;List</translation>
    </message>
    <message>
        <source>詳細(&amp;D)</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>ｱｲｺﾝの整列(&amp;I)</source>
        <translation>Arrange &amp;icons</translation>
    </message>
    <message>
        <source>名前順(N)</source>
        <translation>By name</translation>
    </message>
    <message>
        <source>種類順(&amp;T)</source>
        <translation>By &amp;type</translation>
    </message>
    <message>
        <source>ｻｲｽﾞ順(&amp;S)</source>
        <translation>By &amp;size</translation>
    </message>
    <message>
        <source>日付順(&amp;D)</source>
        <translation>By &amp;date</translation>
    </message>
    <message>
        <source>ｱｲｺﾝの自動整列(&amp;A)</source>
        <translation>&amp;Auto arrange</translation>
    </message>
    <message>
        <source>等間隔に整列(&amp;E)</source>
        <translation>Line &amp;up icons</translation>
    </message>
    <message>
        <source>最新の情報に更新(&amp;R)</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>起動時に更新(&amp;F)</source>
        <translation>Re&amp;fresh at startup</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾄﾋﾟｯｸの検索(&amp;H)</source>
        <translation>&amp;Help topics</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About Larkspool…</translation>
    </message>
    <message>
        <source>最新の情報に更新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>ﾛｰｶﾙからｷｬｯｼｭにｺﾋﾟｰ</source>
        <translation>Copy local files into the cache</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ</source>
        <translation>Copy to folder</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Move to folder</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete files</translation>
    </message>
    <message>
        <source>絞り込み</source>
        <translation>Filter by type</translation>
    </message>
    <message>
        <source>絞り込み終了</source>
        <translation>End filter</translation>
    </message>
    <message>
        <source>１つ上のﾌｫﾙﾀﾞへ</source>
        <translation>Up one level</translation>
    </message>
    <message>
        <source>大きいｱｲｺﾝ</source>
        <translation>Large icons</translation>
    </message>
    <message>
        <source>小さいｱｲｺﾝ</source>
        <translation>Small icons</translation>
    </message>
    <message>
        <source>一覧</source>
        <translation>List</translation>
    </message>
    <message>
        <source>詳細</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>絞り込み終了(&amp;P)</source>
        <translation>Sto&amp;p filtering</translation>
    </message>
    <message>
        <source>絞り込み(&amp;P)</source>
        <translation>Filter by ty&amp;pe…</translation>
    </message>
    <message>
        <source>保存先ﾃﾞｨﾚｸﾄﾘが設定されていません。

保存先ﾃﾞｨﾚｸﾄﾘを設定してください。</source>
        <translation>No destination folder is set.

Choose a destination folder first.</translation>
    </message>
    <message>
        <source>開いているﾌｫﾙﾀﾞ : &apos;%1&apos;</source>
        <translation>Open folder: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 / %2 件</source>
        <translation>%1 of %2 entries</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmMoveDel</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの削除の確認</source>
        <translation>Delete file</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmOpenCache</name>
    <message numerus="yes">
        <source>%n 件</source>
        <translation>
            <numerusform>%n entry</numerusform>
            <numerusform>%n entries</numerusform>
        </translation>
    </message>
    <message>
        <source>  [使用中]</source>
        <translation>  [open]</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭﾌｫﾙﾀﾞを開く</source>
        <translation>Open cache folder</translation>
    </message>
    <message>
        <source>見つかったｷｬｯｼｭ(&amp;C):</source>
        <translation>&amp;Caches found:</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞの指定(&amp;B)...</source>
        <translation>&amp;Browse…</translation>
    </message>
    <message numerus="yes">
        <source>%n 個のｷｬｯｼｭ: %1</source>
        <translation>
            <numerusform>%n cache: %1</numerusform>
            <numerusform>%n caches: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmPickUp</name>
    <message>
        <source>拡張子</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>絞り込み対象ﾌｧｲﾙ選択(&amp;E):</source>
        <translation>Show files of these &amp;extensions:</translation>
    </message>
    <message>
        <source>実行</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>絞り込み対象の拡張子を１つは選択してください。</source>
        <translation>Select at least one extension to filter by.</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの絞り込み</source>
        <translation>Filter by type</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmProperties</name>
    <message>
        <source>ﾌﾟﾛﾊﾟﾃｨ</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>値</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>項目(&amp;F):</source>
        <translation>&amp;Fields:</translation>
    </message>
    <message>
        <source>応答ﾍｯﾀﾞ(&amp;H):</source>
        <translation>Response &amp;headers:</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmRefresh</name>
    <message>
        <source>最新の情報に更新中</source>
        <translation>Refreshing</translation>
    </message>
    <message>
        <source>ｷｬｯｼｭを読み込んでいます。</source>
        <translation>Reading the cache.</translation>
    </message>
    <message>
        <source>しばらくお待ちください。</source>
        <translation>Please wait.</translation>
    </message>
    <message>
        <source>中止(&amp;C)</source>
        <translation>&amp;Stop</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmSelDir</name>
    <message>
        <source>ｺﾋﾟｰ先ﾌｫﾙﾀﾞ</source>
        <translation>Destination folder</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ先ﾌｫﾙﾀﾞを指定してください。</source>
        <translation>Choose a destination folder.</translation>
    </message>
    <message>
        <source>指定されたﾌｫﾙﾀﾞは存在しません。<byte value="xd"/><byte value="xd"/>作成してもよろしいですか?</source>
        <translation>The folder does not exist.<byte value="xd"/><byte value="xd"/>Create it?</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞが作成できませんでした。</source>
        <translation>Cannot create the folder.</translation>
    </message>
</context>
<context>
    <name>larkspool::TfrmVersion</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Larkspool</translation>
    </message>
</context>
</TS>
