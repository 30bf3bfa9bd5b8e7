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
</context>
<context>
    <name>Dialog_UserInfo</name>
    <message>
        <source>User modified successfully</source>
        <translation>修改用户信息成功</translation>
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
</TS>
