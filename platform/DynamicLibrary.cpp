#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace quillstar {

DynamicLibrary::~DynamicLibrary()
{
    Close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Open(const std::string& path)
{
    Close();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = dlerror();
        error_ = text ? text : "cannot load " + path;
        return false;
    }
    error_.clear();
    return true;
}

void DynamicLibrary::Close()
{
    if (handle_ != nullptr)
        dlclose(std::exchange(handle_, nullptr));
}

void* DynamicLibrary::Symbol(const char* name) const
{
    if (handle_ == nullptr) {
        error_ = "library not open";
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) {
        const char* text = dlerror();
        error_ = text ? text : std::string("no symbol ") + name;
    }
    return symbol;
}

}  // namespace quillstar
