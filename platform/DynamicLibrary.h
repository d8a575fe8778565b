#pragma once

#include <string>

namespace quillstar {

// A shared object loaded at run time, unloaded when the wrapper goes.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // Null when the library is not open or lacks the symbol.
    void* Symbol(const char* name) const;
    // The loader's text for the last failure of Open or Symbol.
    const std::string& Error() const { return error_; }

    // Symbol cast to the function pointer type the caller expects.
    template <typename FunctionPointer>
    FunctionPointer Resolve(const char* name) const
    {
        return reinterpret_cast<FunctionPointer>(Symbol(name));
    }

private:
    void* handle_ = nullptr;
    mutable std::string error_;
};

}  // namespace quillstar
