#pragma once

class QString;

namespace quillstar {

// What the folder tree and the file list need of the window that holds them.
// They never talk to each other directly: the tree reports a chosen folder, the
// owner shows it in the list, and the list asks the owner to reveal a folder in
// the tree.
class BrowserOwner {
 public:
  virtual ~BrowserOwner() = default;

  // A folder was chosen (or renamed); the owner shows it in the file list.
  virtual void FolderChosen(const QString& path) = 0;
  // The owner selects the folder in the folder tree.
  virtual void RevealFolder(const QString& path) = 0;
  // The file-type filter the file list applies at every listing.
  virtual int filterIndex() const = 0;
};

}  // namespace quillstar
