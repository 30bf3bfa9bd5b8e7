<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookJobManager</name>
    <message numerus="yes">
        <source>Imported &quot;%1&quot;: %n chapter(s)</source>
        <translation>
            <numerusform>《%1》导入完成：共 %n 章</numerusform>
        </translation>
    </message>
    <message>
        <source>Only .txt files can be imported</source>
        <translation>只能导入 .txt 文件</translation>
    </message>
    <message>
        <source>The file has no name to give the book</source>
        <translation>文件没有名称，无法作为书名</translation>
    </message>
    <message>
        <source>The file is empty</source>
        <translation>文件内容为空</translation>
    </message>
    <message>
        <source>The file cannot be read as text</source>
        <translation>无法以文本方式读取该文件</translation>
    </message>
    <message>
        <source>No chapter headings (such as 第1章) were found in the file</source>
        <translation>文件中没有找到章节标题（如“第1章”）</translation>
    </message>
    <message>
        <source>The book could not be created</source>
        <translation>书籍创建失败</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is still being imported: delete it once the import has finished</source>
        <translation>《%1》正在导入，请在导入完成后再删除</translation>
    </message>
    <message>
        <source>%1 (recovered)</source>
        <translation>%1（恢复）</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted on another machine; the text written here was kept as the new chapter &quot;%2&quot; at the end of the book</source>
        <translation>“%1”已在另一台设备上删除，本机写下的内容已保存为本书末尾的新章节“%2”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted on another machine; the text written here was saved to %2</source>
        <translation>“%1”已在另一台设备上删除，本机写下的内容已保存到 %2</translation>
    </message>
    <message>
        <source>Not imported: the chapter &quot;%1&quot; has %2 characters, %3 more than a chapter can hold (%4). Split it with a heading such as 第12章, then import the file again.</source>
        <translation>未导入：章节“%1”有 %2 字，比一章最多能容纳的字数（%4）多 %3 字。请用“第12章”这样的标题把它分开后再导入。</translation>
    </message>
</context>
<context>
    <name>CBookListDelegate</name>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>BookInfo</source>
        <translation>书籍信息</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>新建书籍</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>Synchronous</source>
        <translation>同步中...</translation>
    </message>
    <message>
        <source>Importing</source>
        <translation>导入中...</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>字</translation>
    </message>
</context>
<context>
    <name>CBookListModel</name>
    <message>
        <source>Add a book: create or import</source>
        <translation>添加书籍：新建或导入</translation>
    </message>
    <message>
        <source>%1, %2 characters</source>
        <translation>《%1》，%2字</translation>
    </message>
    <message>
        <source>, synchronising</source>
        <translation>，同步中</translation>
    </message>
    <message>
        <source>, importing</source>
        <translation>，导入中</translation>
    </message>
</context>
<context>
    <name>CJobManager</name>
    <message>
        <source>error %1</source>
        <translation>错误 %1</translation>
    </message>
    <message>
        <source>A memo could not be saved to the server: %1</source>
        <translation>便签未能保存到服务器：%1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; of &quot;%2&quot; could not be saved to the server: %3</source>
        <translation>《%2》的“%1”未能保存到服务器：%3</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be saved to the server: %2</source>
        <translation>《%1》未能保存到服务器：%2</translation>
    </message>
    <message>
        <source>A change could not be saved to the server: %1</source>
        <translation>一项修改未能保存到服务器：%1</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1；%2</translation>
    </message>
    <message>
        <source>the text written here is kept in the chapter&apos;s time machine</source>
        <translation>这里写的正文已保存在本章的时光机中</translation>
    </message>
    <message>
        <source>what was written here is kept in %1</source>
        <translation>这里写的内容已保存在 %1</translation>
    </message>
    <message>
        <source>%1; it is removed here</source>
        <translation>%1；已从本机移除</translation>
    </message>
    <message>
        <source>Changes cannot reach the server: %1 They are kept on this computer and sent by themselves when the server answers.</source>
        <translation>修改暂时无法同步到服务器：%1 修改已保存在本机，服务器恢复后会自动发送。</translation>
    </message>
</context>
<context>
    <name>CQuorvinDb</name>
    <message>
        <source>The database %1 cannot be opened: %2.
Close any other program that uses it, check that the disk works, then start the program again.</source>
        <translation>无法打开数据库 %1：%2。
请关闭其他正在使用它的程序，检查磁盘是否正常，然后重新启动本程序。</translation>
    </message>
</context>
<context>
    <name>CRandomNameDelegate</name>
    <message>
        <source>Copyed</source>
        <translation>已复制</translation>
    </message>
</context>
<context>
    <name>CRecoveryJournal</name>
    <message>
        <source>Unsaved text of a deleted chapter was kept in %1</source>
        <translation>已删除章节中未保存的文字保存在 %1</translation>
    </message>
    <message>
        <source>Unsaved text of &quot;%1&quot; differs from its newer text: it is kept in the time machine</source>
        <translation>“%1”未保存的文字与章节更新的文字不同，已保存到时光机</translation>
    </message>
    <message>
        <source>Text of &quot;%1&quot; not saved last time was restored</source>
        <translation>已恢复“%1”上次未保存的文字</translation>
    </message>
</context>
<context>
    <name>CSettingsCheck</name>
    <message>
        <source>Correct it, or delete it to use the built-in server, then start the program again.</source>
        <translation>请修正它，或删除它以使用内置的服务器地址，然后重新启动本程序。</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>它是一个文件夹，不是文件</translation>
    </message>
    <message>
        <source>you have no permission to read it</source>
        <translation>你没有读取它的权限</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read: %2.
%3</source>
        <translation>无法读取设置文件 %1：%2。
%3</translation>
    </message>
    <message>
        <source>The settings file %1 is not a settings file (it holds binary data).
%2</source>
        <translation>设置文件 %1 不是设置文件（其中是二进制数据）。
%2</translation>
    </message>
    <message>
        <source>The settings file %1 is damaged and cannot be read.
%2</source>
        <translation>设置文件 %1 已损坏，无法读取。
%2</translation>
    </message>
    <message>
        <source>The settings file %1 names the server address &quot;%2&quot;, which is not accepted: it must begin with https:// (http:// only for this computer).
%3</source>
        <translation>设置文件 %1 中的服务器地址“%2”不可用：地址必须以 https:// 开头（只有本机地址可以用 http://）。
%3</translation>
    </message>
</context>
<context>
    <name>CStoreCheck</name>
    <message>
        <source>you have no permission to write there</source>
        <translation>你没有在那里写入的权限</translation>
    </message>
    <message>
        <source>the disk is mounted read-only</source>
        <translation>磁盘是只读的</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>a file of that name stands where the folder should be</source>
        <translation>该位置有一个同名文件，占据了文件夹的位置</translation>
    </message>
    <message>
        <source>system error %1</source>
        <translation>系统错误 %1</translation>
    </message>
    <message>
        <source>you have no permission to read it</source>
        <translation>你没有读取它的权限</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>它是一个文件夹，不是文件</translation>
    </message>
    <message>
        <source>The database %1 cannot be read: %2.
Check that it is a file you may read and write (or put back the file you moved), then start the program again.</source>
        <translation>无法读取数据库 %1：%2。
请确认它是一个你可以读写的文件（如果移走过它，请放回原处），然后重新启动本程序。</translation>
    </message>
    <message>
        <source>it is not a database file</source>
        <translation>它不是数据库文件</translation>
    </message>
    <message>
        <source>The database %1 cannot be opened: %2.
If another copy of the program runs on this data folder, close it; otherwise restart the computer and try again.</source>
        <translation>无法打开数据库 %1：%2。
如果还有另一个本程序在使用这个数据文件夹，请关闭它；否则请重启电脑后再试。</translation>
    </message>
    <message>
        <source>The database %1 was written by a newer version of the program (format %2; this version reads up to %3).
Install the newer version to go on writing; the file has not been changed.</source>
        <translation>数据库 %1 由更新版本的程序写入（格式 %2，本版本最多能读取格式 %3）。
请安装新版本后继续写作；该文件没有被改动。</translation>
    </message>
    <message>
        <source>The data folder %1 cannot be created: %2.
Make sure the program&apos;s folder is writable (or install it where you may write), then start it again.</source>
        <translation>无法创建数据文件夹 %1：%2。
请确认程序所在的文件夹可以写入（或把程序安装到你有写入权限的位置），然后重新启动。</translation>
    </message>
    <message>
        <source>The disk that holds %1 is full (%2 free): nothing you write could be saved.
Free some space on it, then start the program again.</source>
        <translation>%1 所在的磁盘已满（只剩 %2）：写下的文字将无法保存。
请先腾出一些空间，然后重新启动本程序。</translation>
    </message>
    <message>
        <source>The data folder %1 takes no file: %2.
Nothing you write could be saved. Give yourself write permission on it, then start the program again.</source>
        <translation>数据文件夹 %1 无法写入文件：%2。
写下的文字将无法保存。请为自己开通它的写入权限，然后重新启动本程序。</translation>
    </message>
    <message>
        <source>the program&apos;s copy of the database layout is missing</source>
        <translation>程序自带的数据库结构缺失</translation>
    </message>
    <message>
        <source>it cannot be renamed into place</source>
        <translation>无法把它改名放到位</translation>
    </message>
    <message>
        <source>A new database cannot be made at %1: %2.
Check that the folder is writable and the disk has space, then start the program again.</source>
        <translation>无法在 %1 新建数据库：%2。
请检查文件夹是否可写、磁盘是否还有空间，然后重新启动本程序。</translation>
    </message>
    <message>
        <source>The database %1 is damaged (%2) and cannot be moved aside.
Copy it somewhere safe, delete it, then start the program again: a new one is made and your books come back from the server after you sign in.</source>
        <translation>数据库 %1 已损坏（%2），且无法移到一旁。
请把它复制到安全的地方后删除，再重新启动本程序：程序会新建数据库，登录后你的书会从服务器取回。</translation>
    </message>
    <message>
        <source>The database %1 was damaged (%2).
It has been kept unchanged as %3 and a new one made. Sign in to get your books back from the server; anything not yet sent is still in the kept file: keep it, and write to support to recover it.</source>
        <translation>数据库 %1 已损坏（%2）。
它已原样保留为 %3，并新建了一个数据库。登录后你的书会从服务器取回；尚未同步的内容仍在保留的文件中：请妥善保存，并联系客服帮你找回。</translation>
    </message>
    <message>
        <source>its contents are damaged</source>
        <translation>文件内容已损坏</translation>
    </message>
    <message>
        <source>it is a database of another program</source>
        <translation>它是其他程序的数据库</translation>
    </message>
</context>
<context>
    <name>CSynDataManager</name>
    <message>
        <source>Another machine saved an older version of &quot;%1&quot;; the text written here was kept in the time machine</source>
        <translation>另一台设备保存了“%1”的较旧版本，本机写下的内容已保存在时光机中</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted on another machine; the text written here was kept as the new chapter &quot;%2&quot; at the end of the book</source>
        <translation>“%1”已在另一台设备上删除，本机写下的内容已保存为本书末尾的新章节“%2”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted on another machine; the text written here was saved to %2</source>
        <translation>“%1”已在另一台设备上删除，本机写下的内容已保存到 %2</translation>
    </message>
</context>
<context>
    <name>CTabButton</name>
    <message>
        <source>Close tab</source>
        <translation>关闭标签页</translation>
    </message>
</context>
<context>
    <name>CTimerButton</name>
    <message>
        <source>Send Code</source>
        <translation>获取验证码</translation>
    </message>
    <message>
        <source>%1s after</source>
        <translation>%1s后重发</translation>
    </message>
</context>
<context>
    <name>CUiManager</name>
    <message>
        <source>Currently locked</source>
        <translation>客户端已锁定</translation>
    </message>
    <message>
        <source>Client opens locked</source>
        <translation>客户端开启锁定</translation>
    </message>
    <message>
        <source>Client close locked</source>
        <translation>客户端取消锁定</translation>
    </message>
    <message>
        <source>The text of &quot;%1&quot; could not be written to %2: %3.</source>
        <translation>“%1”的文字无法写入 %2：%3。</translation>
    </message>
    <message>
        <source>Text of some chapters could not be written to %1: %2.</source>
        <translation>部分章节的文字无法写入 %1：%2。</translation>
    </message>
    <message>
        <source>If you quit, it stays in the recovery files and is written back at the next start.</source>
        <translation>现在退出的话，文字会留在恢复文件中，下次启动时自动写回。</translation>
    </message>
    <message>
        <source>The recovery files could not be written either: if you quit now, the text that is not saved is lost.</source>
        <translation>恢复文件也无法写入：现在退出，未保存的文字将会丢失。</translation>
    </message>
    <message>
        <source>You can also save this chapter as a text file first.</source>
        <translation>也可以先把本章另存为文本文件。</translation>
    </message>
    <message>
        <source>Text not saved</source>
        <translation>文字尚未保存</translation>
    </message>
    <message>
        <source>Save as text...</source>
        <translation>另存为文本</translation>
    </message>
    <message>
        <source>Back to writing</source>
        <translation>返回写作</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Quit and lose it</source>
        <translation>放弃并退出</translation>
    </message>
    <message>
        <source>Save the chapter as</source>
        <translation>将章节另存为</translation>
    </message>
    <message>
        <source>Cannot write the file</source>
        <translation>无法写入文件</translation>
    </message>
    <message>
        <source>%1 could not be written: choose another place, for example a USB disk.</source>
        <translation>无法写入 %1，请换一个位置，例如U盘。</translation>
    </message>
</context>
<context>
    <name>CUserJobManager</name>
    <message>
        <source>The profile could not be saved to the server: %1</source>
        <translation>个人资料未能保存到服务器：%1</translation>
    </message>
    <message>
        <source>The head image could not be saved to the server: %1</source>
        <translation>头像未能保存到服务器：%1</translation>
    </message>
    <message>
        <source>The local data could not be switched to this account; please check the data folder and try again.</source>
        <translation>本机数据无法切换到该账号，请检查数据文件夹后重试。</translation>
    </message>
    <message>
        <source>The local data could not be switched to this server&apos;s account (%1). Nothing of another account is shown or sent; please check the data folder and sign in again.</source>
        <translation>本机数据无法切换到该服务器的账号（%1）。其他账号的内容不会显示或发送，请检查数据文件夹后重新登录。</translation>
    </message>
</context>
<context>
    <name>CWebView</name>
    <message>
        <source>This page cannot be shown.</source>
        <translation>无法显示此页面。</translation>
    </message>
</context>
<context>
    <name>CZtHeadButton</name>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
</context>
<context>
    <name>CZtHeadLabel</name>
    <message>
        <source>Files (%1)</source>
        <translation>文件 (%1)</translation>
    </message>
    <message>
        <source>Select one picture</source>
        <translation>选择一张图片</translation>
    </message>
</context>
<context>
    <name>ChapterListModel</name>
    <message>
        <source>A chapter name cannot be only blanks: the name was kept</source>
        <translation>章节名不能只有空白，已保留原来的章节名</translation>
    </message>
</context>
<context>
    <name>Creation_TextEdit</name>
    <message>
        <source>&lt;</source>
        <translation>《</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>》</translation>
    </message>
    <message>
        <source>(</source>
        <translation>（</translation>
    </message>
    <message>
        <source>)</source>
        <translation>）</translation>
    </message>
    <message>
        <source>[</source>
        <translation>【</translation>
    </message>
    <message>
        <source>]</source>
        <translation>】</translation>
    </message>
    <message>
        <source>doubleLeft</source>
        <translation>“</translation>
    </message>
    <message>
        <source>doubleRight</source>
        <translation>”</translation>
    </message>
    <message>
        <source>singleLeft</source>
        <translation>‘</translation>
    </message>
    <message>
        <source>singleRight</source>
        <translation>’</translation>
    </message>
    <message>
        <source>This chapter holds the most a chapter can: %1 characters. Start a new chapter to go on writing.</source>
        <translation>本章已达到一章的上限：%1 字。请新建一章继续写作。</translation>
    </message>
    <message>
        <source>Not pasted: the text has %1 characters and this chapter has room for %2 more, %3 too many (a chapter holds at most %4). Paste a shorter part, or start a new chapter.</source>
        <translation>未粘贴：粘贴的内容有 %1 字，本章只能再容纳 %2 字，超出 %3 字（一章最多 %4 字）。请粘贴较短的部分，或新建一章。</translation>
    </message>
    <message>
        <source>Chapter text</source>
        <translation>章节正文</translation>
    </message>
</context>
<context>
    <name>Dialog_BookInfo</name>
    <message>
        <source>BookInfo</source>
        <translation>书籍信息</translation>
    </message>
    <message>
        <source>Please select the cover image</source>
        <translation>请选择封面图片</translation>
    </message>
    <message>
        <source>Book Name</source>
        <translation>书籍名称</translation>
    </message>
    <message>
        <source>Please enter book name</source>
        <translation>请输入书籍名称</translation>
    </message>
    <message>
        <source>Please enter the introduction, 20-500 words</source>
        <translation>请输入作品简介，20-500字</translation>
    </message>
    <message>
        <source>BookCover</source>
        <translation>选择封面</translation>
    </message>
</context>
<context>
    <name>Dialog_ChangePwd</name>
    <message>
        <source>Please enter the original password</source>
        <translation>请输入原始密码</translation>
    </message>
    <message>
        <source>Please enter a new 8-16 bit password</source>
        <translation>请输入8-16位新密码</translation>
    </message>
    <message>
        <source>Please enter a new 8-16 bit password again</source>
        <translation>请再次输入8-16位新密码</translation>
    </message>
    <message>
        <source>The two passwords do not match</source>
        <translation>两次输入密码不一致</translation>
    </message>
</context>
<context>
    <name>Dialog_CreateBook</name>
    <message>
        <source>Book Name</source>
        <translation>书籍名称</translation>
    </message>
    <message>
        <source>Please enter book name</source>
        <translation>请输入书籍名称</translation>
    </message>
</context>
<context>
    <name>Dialog_DevPanel</name>
    <message>
        <source>Developer panel</source>
        <translation>开发者面板</translation>
    </message>
    <message>
        <source>Open log folder</source>
        <translation>打开日志文件夹</translation>
    </message>
    <message>
        <source>Sync now</source>
        <translation>立即同步</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Data folder</source>
        <translation>数据文件夹</translation>
    </message>
    <message>
        <source>Log folder</source>
        <translation>日志文件夹</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>服务器</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>作者</translation>
    </message>
    <message>
        <source>Not signed in</source>
        <translation>未登录</translation>
    </message>
    <message>
        <source>Queued changes</source>
        <translation>待同步的修改</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>同步中</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>空闲</translation>
    </message>
</context>
<context>
    <name>Dialog_LoginMain</name>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>Dialog_Search</name>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Please enter your search</source>
        <translation>请输入查找内容</translation>
    </message>
    <message>
        <source>Text to find</source>
        <translation>查找内容</translation>
    </message>
    <message>
        <source>Please enter a replacement</source>
        <translation>请输入替换内容</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>替换内容</translation>
    </message>
    <message>
        <source>No match</source>
        <translation>没有找到匹配内容</translation>
    </message>
    <message>
        <source>Match %1 of %2</source>
        <translation>第 %1 处，共 %2 处</translation>
    </message>
</context>
<context>
    <name>Dialog_TimeMachine</name>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Versions of the chapter</source>
        <translation>章节的历史版本</translation>
    </message>
    <message>
        <source>Text of the version</source>
        <translation>历史版本的内容</translation>
    </message>
    <message>
        <source>What the colours mean</source>
        <translation>颜色说明</translation>
    </message>
    <message>
        <source>Current text compared with the version</source>
        <translation>当前内容与历史版本的对比</translation>
    </message>
    <message>
        <source>%1 (kept here)</source>
        <translation>%1（仅存本机）</translation>
    </message>
    <message>
        <source>The server refused this save; the text is kept only on this machine</source>
        <translation>服务器未接受这次保存，这段文字只保存在本机</translation>
    </message>
    <message>
        <source>Version List(%1/%2)</source>
        <translation>版本列表（%1/%2）</translation>
    </message>
    <message>
        <source>The chapter&apos;s text cannot be read; nothing was restored</source>
        <translation>无法读取章节内容，未恢复任何版本</translation>
    </message>
    <message>
        <source>The current text could not be kept as a version; nothing was restored. Check the disk and try again</source>
        <translation>无法把当前内容保存为历史版本，未恢复任何版本。请检查磁盘后重试</translation>
    </message>
    <message>
        <source>The version could not be saved as the chapter&apos;s text; the chapter is unchanged. Check the disk and try again</source>
        <translation>无法把该版本保存为章节内容，章节未改动。请检查磁盘后重试</translation>
    </message>
    <message>
        <source>Version restored; the replaced text is the newest version in the list</source>
        <translation>已恢复此版本；被替换的内容已作为最新版本保存在列表中</translation>
    </message>
</context>
<context>
    <name>Dialog_UserInfo</name>
    <message>
        <source>User modified successfully</source>
        <translation>修改用户信息成功</translation>
    </message>
    <message>
        <source>A nickname cannot be only blanks</source>
        <translation>昵称不能只有空白</translation>
    </message>
    <message>
        <source>The head image was not accepted: %1</source>
        <translation>头像未被服务器接受：%1</translation>
    </message>
    <message>
        <source>The profile was not accepted: %1</source>
        <translation>个人信息未被服务器接受：%1</translation>
    </message>
    <message>
        <source>Saved on this computer; it is sent to the server by itself once the server answers</source>
        <translation>已保存在本机，服务器恢复后会自动上传</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quorvin Writing</source>
        <translation>Quorvin 写作</translation>
    </message>
    <message>
        <source>Main Client</source>
        <translation>主界面</translation>
    </message>
    <message>
        <source>Quick</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>客户端已锁定</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Please enter account</source>
        <translation>请输入手机号</translation>
    </message>
    <message>
        <source>Please Enter Verify Code</source>
        <translation>请输入验证码</translation>
    </message>
    <message>
        <source>A phone number has 11 digits</source>
        <translation>手机号为11位数字，请检查后重新输入</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>T_TransportFailure</name>
    <message>
        <source>The server&apos;s address cannot be found. Please check the network or the server address.</source>
        <translation>找不到服务器地址，请检查网络或服务器地址设置。</translation>
    </message>
    <message>
        <source>The server closed the connection. Please try again later.</source>
        <translation>服务器断开了连接，请稍后再试。</translation>
    </message>
    <message>
        <source>The server did not answer in time. Please check the network and try again.</source>
        <translation>服务器长时间没有应答，请检查网络后重试。</translation>
    </message>
    <message>
        <source>No secure connection to the server could be made. Please check the system clock and the server&apos;s certificate.</source>
        <translation>无法与服务器建立安全连接，请检查系统时间和服务器证书。</translation>
    </message>
    <message>
        <source>The server sent the request elsewhere. Please check the server address.</source>
        <translation>服务器把请求转到了别处，请检查服务器地址设置。</translation>
    </message>
    <message>
        <source>The proxy server failed. Please check the proxy settings.</source>
        <translation>代理服务器连接失败，请检查代理设置。</translation>
    </message>
    <message>
        <source>Cannot connect to the server. Please check the network.</source>
        <translation>无法连接服务器，请检查网络。</translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be read. Please try again later.</source>
        <translation>无法读取服务器的应答，请稍后再试。</translation>
    </message>
    <message>
        <source>Network error. Please check the network and try again.</source>
        <translation>网络出现问题，请检查网络后重试。</translation>
    </message>
    <message>
        <source>The server is busy. Please try again later.</source>
        <translation>服务器繁忙，请稍后再试。</translation>
    </message>
    <message>
        <source>The server waited too long for the request. Please check the network and try again.</source>
        <translation>服务器等待请求超时，请检查网络后重试。</translation>
    </message>
    <message>
        <source>The server has a temporary fault (%1). Please try again later.</source>
        <translation>服务器暂时出现故障（%1），请稍后再试。</translation>
    </message>
    <message>
        <source>The server answered with an error (%1). Please try again later.</source>
        <translation>服务器返回了异常（%1），请稍后再试。</translation>
    </message>
    <message numerus="yes">
        <source>The server did not answer within %n second(s). Please check the network and try again.</source>
        <translation>
            <numerusform>服务器在 %n 秒内没有应答，请检查网络后重试。</numerusform>
        </translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be understood (the network or a proxy may be at fault). Please try again later.</source>
        <translation>无法识别服务器的应答（可能是网络或代理出了问题），请稍后再试。</translation>
    </message>
</context>
<context>
    <name>Widget_Banner</name>
    <message>
        <source>Picture %1</source>
        <translation>第%1张图片</translation>
    </message>
</context>
<context>
    <name>Widget_BindWechat</name>
    <message>
        <source>Bind PhoneNumber</source>
        <translation>绑定手机号</translation>
    </message>
    <message>
        <source>Your WeChat account has no phone number yet; bind one to continue.</source>
        <translation>您的微信账号尚未绑定手机号，绑定后即可继续。</translation>
    </message>
    <message>
        <source>Bind</source>
        <translation>绑定</translation>
    </message>
</context>
<context>
    <name>Widget_BookShelfList</name>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Are you sure to delete %1?</source>
        <translation>确认要删除《%1》吗？</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Failed to delete book</source>
        <translation>删除书籍失败</translation>
    </message>
    <message>
        <source>Failed to add book</source>
        <translation>添加书籍失败</translation>
    </message>
    <message>
        <source>importing book</source>
        <translation>书籍导入中，请稍候...</translation>
    </message>
    <message>
        <source>Books</source>
        <translation>书架上的书籍</translation>
    </message>
</context>
<context>
    <name>Widget_Bookshelf</name>
    <message>
        <source>Personal information</source>
        <translation>个人资料</translation>
    </message>
</context>
<context>
    <name>Widget_Bookshelf_Top</name>
    <message>
        <source>My Bookshelf</source>
        <translation>我的书架</translation>
    </message>
    <message>
        <source>Synchronize now</source>
        <translation>立即同步</translation>
    </message>
    <message>
        <source>Memos</source>
        <translation>便签</translation>
    </message>
    <message>
        <source>Switch theme</source>
        <translation>切换主题</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Maximise</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Synchronous success</source>
        <translation>同步成功</translation>
    </message>
    <message>
        <source>Synchronization failure</source>
        <translation>同步失败</translation>
    </message>
    <message>
        <source>Switch to the light theme</source>
        <translation>切换到日间模式</translation>
    </message>
    <message>
        <source>Switch to the dark theme</source>
        <translation>切换到夜间模式</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>Synchronization failed: %1 What you wrote is kept on this computer and sent by itself when the server answers.</source>
        <translation>同步失败：%1 内容已保存在本机，服务器恢复后会自动同步。</translation>
    </message>
</context>
<context>
    <name>Widget_CodeForm</name>
    <message>
        <source>Please enter 8-16 bit password</source>
        <translation>请输入8-16位新密码</translation>
    </message>
    <message>
        <source>Please enter 8-16 bit password again</source>
        <translation>请再次输入8-16位新密码</translation>
    </message>
    <message>
        <source>The two passwords do not match</source>
        <translation>两次输入密码不一致</translation>
    </message>
</context>
<context>
    <name>Widget_CompareHint</name>
    <message>
        <source>Red is the deleted section</source>
        <translation>红色为历史版本相比删除部分</translation>
    </message>
    <message>
        <source>Blue is a new section</source>
        <translation>蓝色为历史版本相比增加部分</translation>
    </message>
    <message>
        <source>Colours of the comparison</source>
        <translation>对比颜色说明</translation>
    </message>
</context>
<context>
    <name>Widget_Creation</name>
    <message>
        <source>Pin the chapter list</source>
        <translation>固定章节列表</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Bottom</name>
    <message>
        <source>Typing</source>
        <translation>输入中</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>偷闲中</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Content</name>
    <message>
        <source>Format</source>
        <translation>格式</translation>
    </message>
    <message>
        <source>Focus mode</source>
        <translation>专注模式</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>客户端已锁定</translation>
    </message>
    <message>
        <source>sound open</source>
        <translation>打字音效已开启</translation>
    </message>
    <message>
        <source>sound close</source>
        <translation>打字音效已关闭</translation>
    </message>
    <message>
        <source>Replaced %1 occurrences</source>
        <translation>已替换 %1 处</translation>
    </message>
    <message>
        <source>Not imported</source>
        <translation>未导入</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a text file (it holds binary data): the chapter was not changed.
Choose a .txt file saved as UTF-8 or GB18030.</source>
        <translation>“%1”不是文本文件（其中是二进制数据），本章没有改动。
请选择以 UTF-8 或 GB18030 编码保存的 .txt 文件。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has %2 characters, %3 more than a chapter can hold (%4): the chapter was not changed.
Split the file into several chapters and import them one by one.</source>
        <translation>“%1”有 %2 字，比一章最多能容纳的字数（%4）多 %3 字，本章没有改动。
请把文件分成几章，逐一导入。</translation>
    </message>
    <message>
        <source>Empty file</source>
        <translation>空文件</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty: importing it leaves this chapter without a word (the present text stays in the time machine). Import it anyway?</source>
        <translation>“%1”是空的：导入后本章将一个字也没有（现在的正文会保留在时光机中）。仍要导入吗？</translation>
    </message>
    <message>
        <source>Empty the chapter</source>
        <translation>清空本章</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Left</name>
    <message>
        <source>My books</source>
        <translation>我的作品</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>倒序</translation>
    </message>
    <message>
        <source>Recycle bin</source>
        <translation>章节回收站</translation>
    </message>
    <message>
        <source>New chapter</source>
        <translation>新建章节</translation>
    </message>
    <message>
        <source>Open Tag</source>
        <translation>新标签页打开</translation>
    </message>
    <message>
        <source>Create Chapter</source>
        <translation>创建新章</translation>
    </message>
    <message>
        <source>Rename Chapter</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>Export Chapter</source>
        <translation>导出本章</translation>
    </message>
    <message>
        <source>Time Machine</source>
        <translation>时光机</translation>
    </message>
    <message>
        <source>Previous Chapter</source>
        <translation>上移一章</translation>
    </message>
    <message>
        <source>Next Chapter</source>
        <translation>下移一章</translation>
    </message>
    <message>
        <source>Delete Chapter</source>
        <translation>删除本章</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>章节列表</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Top</name>
    <message>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>关机选项</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>Back to the bookshelf</source>
        <translation>返回书架</translation>
    </message>
</context>
<context>
    <name>Widget_Feedback</name>
    <message>
        <source>The feedback page could not be loaded. Check the network, then open this page again.</source>
        <translation>意见反馈页面加载失败，请检查网络后重新打开本页</translation>
    </message>
</context>
<context>
    <name>Widget_ForgetPwd</name>
    <message>
        <source>Retrieve Password</source>
        <translation>找回密码</translation>
    </message>
    <message>
        <source>Reset Password</source>
        <translation>重置密码</translation>
    </message>
    <message>
        <source>Free Registration</source>
        <translation>免费注册</translation>
    </message>
    <message>
        <source>GotoLogin</source>
        <translation>已有账号</translation>
    </message>
    <message>
        <source>Password reset Successful</source>
        <translation>密码找回成功</translation>
    </message>
</context>
<context>
    <name>Widget_Login</name>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Please enter password</source>
        <translation>请输入密码</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>自动登录</translation>
    </message>
    <message>
        <source>Forget Password</source>
        <translation>忘记密码</translation>
    </message>
    <message>
        <source>Free Registration</source>
        <translation>免费注册</translation>
    </message>
    <message>
        <source>Other login methods</source>
        <translation>其他登录方式</translation>
    </message>
    <message>
        <source>WeChat Login</source>
        <translation>微信登录</translation>
    </message>
    <message>
        <source>Cancel sign-in</source>
        <translation>取消登录</translation>
    </message>
    <message>
        <source>Sign-in cancelled</source>
        <translation>已取消登录</translation>
    </message>
    <message>
        <source>Signing in...</source>
        <translation>正在登录…</translation>
    </message>
    <message>
        <source>Waiting for the server; press Esc or Cancel to stop</source>
        <translation>正在等待服务器响应，按 Esc 可取消</translation>
    </message>
</context>
<context>
    <name>Widget_RecycleBin</name>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>全部删除</translation>
    </message>
    <message>
        <source>Recover All</source>
        <translation>全部恢复</translation>
    </message>
    <message>
        <source>creatTime:%1</source>
        <translation>创建时间 : %1</translation>
    </message>
    <message>
        <source>%1wordCount</source>
        <translation>%1 字</translation>
    </message>
    <message>
        <source>lastDay:%1</source>
        <translation>剩余 : %1天</translation>
    </message>
</context>
<context>
    <name>Widget_Register</name>
    <message>
        <source>Register</source>
        <translation>注册账号</translation>
    </message>
    <message>
        <source>Consent</source>
        <translation>注册即表示同意</translation>
    </message>
    <message>
        <source>QuorVin Agreement</source>
        <translation>《Quorvin 用户协议》</translation>
    </message>
    <message>
        <source>and</source>
        <translation>和</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>《隐私政策》</translation>
    </message>
    <message>
        <source>GotoLogin</source>
        <translation>已有账号</translation>
    </message>
    <message>
        <source>Registration Successful</source>
        <translation>注册成功</translation>
    </message>
</context>
<context>
    <name>Widget_SensitiveWords</name>
    <message>
        <source>In this test, a total of %1 sensitive word was found!</source>
        <translation>本次检测，共发现%1处敏感词！</translation>
    </message>
    <message>
        <source>No sensitive words were found in this test!</source>
        <translation>本次检测，未发现敏感词！</translation>
    </message>
</context>
<context>
    <name>Widget_StoreWarning</name>
    <message>
        <source>Storage warning</source>
        <translation>存储警告</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>Widget_WeChatLogin</name>
    <message>
        <source>WeChat Login</source>
        <translation>微信登录</translation>
    </message>
    <message>
        <source>Back to account login</source>
        <translation>‹ 返回账号登录</translation>
    </message>
</context>
<context>
    <name>ZtMessageBox</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>全部保存</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Yes to All</source>
        <translation>全部是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>No to All</source>
        <translation>全部否</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>中止</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>忽略</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>放弃</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>恢复默认</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The program cannot start. The log in %1 tells why.</source>
        <translation>程序无法启动，原因见 %1 中的日志。</translation>
    </message>
    <message>
        <source>Cannot start</source>
        <translation>无法启动</translation>
    </message>
    <message>
        <source>Database replaced</source>
        <translation>数据库已重建</translation>
    </message>
    <message>
        <source>The program is already running on the data folder %1 (process %2) but does not answer.
Wait until it closes, or end it, then start again.</source>
        <translation>本程序已在使用数据文件夹 %1（进程 %2），但没有响应。
请等它关闭，或结束它，然后再启动。</translation>
    </message>
</context>
</TS>
