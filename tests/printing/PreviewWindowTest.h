#pragma once

#include "printing/CertLayout.h"
#include "printing/FPP.h"
#include "tests/support/SampleProtocol.h"

#include <QTest>

#include <gtest/gtest.h>

// The preview window over a sample protocol and a full certificate layout, composed from the fields below.
class PreviewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        completeCertLayout(layout);
        form.setPrintSource([this] {
            const QString date = QStringLiteral("08.12.2026   10:15");
            return PrintSource{cells, QStringLiteral("Stutenprüfung"), date, &layout, from, to, listed};
        });
        form.resize(700, 900);
    }

    template <typename T> T *child(const char *name)
    {
        return form.findChild<T *>(QString::fromLatin1(name));
    }

    // Protocol pages (0) or certificates (1), composed as the window shows.
    void show(int mode)
    {
        form.setDocumentMode(mode);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    ProtocolFormat::Table cells = sampleProtocol(3);
    QByteArray layout = QByteArray(CertLayoutSize, '\0');
    int from = 1, to = 3;
    QPageRanges listed;
    TFormPP form;
};
