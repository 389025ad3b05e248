// The import's overwrite question: the export's window with its sides
// swapped, the cached entry old and the local file new.
#pragma once

#include "ui/dialogs/tfrm_confirm.h"

namespace larkspool {

class TfrmFileOp2;

class TfrmConfirm2 : public TfrmConfirm {
public:
    explicit TfrmConfirm2(TypeIconLookup typeIcon);

    // The import window whose conflict is asked about.
    void SetImportWindow(const TfrmFileOp2& importWindow) { m_importWindow = &importWindow; }

protected:
    void FormShow() override;

private:
    const TfrmFileOp2* m_importWindow = nullptr;
};

} // namespace larkspool
