#include "platform/file_error_text.h"

#include <cerrno>
#include <system_error>

namespace tieba {

std::string fileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return "没有写入权限";
    case ENOSPC:
        return "磁盘空间不足";
#ifdef EDQUOT
    case EDQUOT:
        return "超出磁盘配额";
#endif
    case EROFS:
        return "文件系统只读";
    case ENOENT:
        return "文件夹不存在";
    case EISDIR:
        return "是一个文件夹";
    case EIO:
        return "磁盘读写错误";
    default:
        return std::generic_category().message(errorNumber);
    }
}

} // namespace tieba
