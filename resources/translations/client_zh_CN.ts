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
    <name>Dialog_LoginPlaceholder</name>
    <message>
        <source>Quorvin Writing</source>
        <translation>Quorvin 写作</translation>
    </message>
    <message>
        <source>Signing in is not available in this version yet.</source>
        <translation>此版本暂不支持登录。</translation>
    </message>
</context>
<context>
    <name>Dialog_UserInfo</name>
    <message>
        <source>User modified successfully</source>
        <translation>修改用户信息成功</translation>
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
    <name>Widget_Bookshelf</name>
    <message>
        <source>Quorvin Writing</source>
        <translation>Quorvin 写作</translation>
    </message>
    <message>
        <source>Bookshelf</source>
        <translation>书架</translation>
    </message>
    <message>
        <source>My Bookshelf</source>
        <translation>我的书架</translation>
    </message>
    <message>
        <source>Switch theme</source>
        <translation>切换主题</translation>
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
        <source>No books on the shelf yet</source>
        <translation>书架上还没有书</translation>
    </message>
    <message>
        <source>Create a book or import a text file to start writing</source>
        <translation>新建一本书或导入文本文件，开始写作吧</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>Switch to the light theme</source>
        <translation>切换到日间模式</translation>
    </message>
    <message>
        <source>Switch to the dark theme</source>
        <translation>切换到夜间模式</translation>
    </message>
</context>
<context>
    <name>Widget_Creation</name>
    <message>
        <source>Back to the bookshelf</source>
        <translation>返回书架</translation>
    </message>
    <message>
        <source>Choose a chapter to start writing</source>
        <translation>选择一个章节开始写作</translation>
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
</TS>
