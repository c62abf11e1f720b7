// The open file as a whole: creating, opening and closing it, and the
// transactions every change runs in.
#include "isam_file.h"
#include "isam_file_access.h"

#include <string.h>

namespace isam {

CIsamFile::CIsamFile() : open_(false), generation_(0) {}

CIsamFile::~CIsamFile() {
  unsigned ext = 0;
  if (open_) Close(&ext);
}

unsigned CIsamFile::Create(const char* name, bool namedOnClose, unsigned* ext) {
  unsigned e = pager_.Create(name, namedOnClose, ext);
  if (e) return e;
  name_ = name;
  open_ = true;
  generation_ = pager_.Generation();
  return loadCatalog();
}

unsigned CIsamFile::Open(const char* name, bool readOnly, bool acceptLogLoss, unsigned* ext) {
  unsigned e = pager_.Open(name, readOnly, acceptLogLoss, ext);
  if (e) return e;
  name_ = name;
  open_ = true;
  generation_ = pager_.Generation();
  e = loadCatalog();
  if (e) {
    unsigned x = 0;
    pager_.Close(&x);
    open_ = false;
  }
  return e;
}

void CIsamFile::forget() {
  for (TableHandle* h : handles_) delete h;
  handles_.clear();
  states_.clear();
  catalog_.clear();
  catalogIndex_.clear();
  open_ = false;
}

unsigned CIsamFile::Close(unsigned* ext) {
  forget();
  return pager_.Close(ext);
}

unsigned CIsamFile::Discard(unsigned* ext) {
  forget();
  return pager_.Discard(ext);
}

unsigned CIsamFile::writeBegin(bool* own) {
  *own = false;
  if (pager_.ReadOnly()) return ISAM_ERR_READ_ONLY;
  if (pager_.Failed()) return ISAM_ERR_FAILED;
  if (pager_.InTransaction()) return ISAM_OK;
  *own = true;
  return pager_.Begin();
}

unsigned CIsamFile::writeEnd(bool own, unsigned result, bool changed) {
  if (result) {
    if (changed) {
      if (own)
        pager_.Rollback();
      else
        pager_.MarkFailed();
    } else if (own) {
      pager_.Commit();  // nothing was changed: only ends the transaction
    }
    return result;
  }
  if (!own) return ISAM_OK;
  unsigned e = pager_.Commit();
  if (e) pager_.Rollback();
  return e;
}

unsigned CIsamFile::Begin() {
  unsigned e = writable();
  if (!e) e = sync();
  if (e) return e;
  return pager_.Begin();
}

unsigned CIsamFile::Commit() {
  if (!pager_.InTransaction()) return ISAM_ERR_NO_TRANSACTION;
  unsigned e = pager_.Commit();
  if (e) pager_.Rollback();
  return e;
}

unsigned CIsamFile::Rollback() {
  if (!pager_.InTransaction()) return ISAM_ERR_NO_TRANSACTION;
  pager_.Rollback();
  return pager_.Failed() ? ISAM_ERR_FAILED : ISAM_OK;
}

}  // namespace isam
