// Every list that shows captions over columns, opened offscreen: each caption's section starts and
// ends where its column's cells do, and no caption or cell is cut. ctest runs it at scale 1 and
// again with QT_SCALE_FACTOR=1.5.

#include <gtest/gtest.h>

#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "setup/SetupDialogRig.h"

#include <QHeaderView>
#include <QTreeView>

#include "setup/ports/PortSetup.h"
#include "setup/records/Delim.h"
#include "setup/tables/TransTbl.h"
#include "setup/widgets/AsciiChart.h"

namespace quorvane {
namespace {

struct ListRig {
    ListRig() { ResetConfiguration(Config); }

    Configuration Config;
    test::FakePrompts Prompts;
    test::ScriptedRunner Runner;
    PickerHost Pickers{Config, Runner};
    PickerResults Results;
    test::FakeSettingsStore Store;
    PortBindings Bindings{Store};
};

struct HeaderCase {
    const char* Name;
    const char* List;
    std::unique_ptr<QDialog> (*Open)(ListRig&);
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.Name;
}

class ListHeaders : public testing::TestWithParam<HeaderCase> {};

TEST_P(ListHeaders, StandOverTheirColumnsUncut) {
    ListRig rig;
    std::unique_ptr<QDialog> dialog = GetParam().Open(rig);
    dialog->show();
    QApplication::processEvents();
    auto* view = test::control<QTreeView>(*dialog, GetParam().List);
    ASSERT_NE(view, nullptr);
    const QHeaderView* header = view->header();
    ASSERT_TRUE(header->isVisibleTo(dialog.get()));
    ASSERT_GT(view->model()->rowCount(), 0);
    const int columns = view->model()->columnCount();
    ASSERT_GT(columns, 1);
    EXPECT_GE(header->height(), header->sizeHint().height()) << "caption lines cut";
    for (int c = 0; c < columns; ++c) {
        const QRect cell = view->visualRect(view->model()->index(0, c));
        const int cellLeft = view->viewport()->mapTo(dialog.get(), cell.topLeft()).x();
        const int captionLeft =
            header->mapTo(dialog.get(), QPoint(header->sectionViewportPosition(c), 0)).x();
        EXPECT_EQ(captionLeft, cellLeft) << "column " << c;
        EXPECT_EQ(header->sectionSize(c), cell.width()) << "column " << c;
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << "caption of column " << c << " cut";
        const QAbstractItemView& cells = *view; // sizeHintForColumn is public only here
        EXPECT_GE(header->sectionSize(c), cells.sizeHintForColumn(c)) << "cells of column " << c << " cut";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryColumnList, ListHeaders,
    testing::Values(HeaderCase{"AsciiChart", "AsciiMenu",
                               [](ListRig& rig) -> std::unique_ptr<QDialog> {
                                   return std::make_unique<AsciiChart>(rig.Config, rig.Results);
                               }},
                    HeaderCase{"Delim", "DelimOptions",
                               [](ListRig& rig) -> std::unique_ptr<QDialog> {
                                   return std::make_unique<Delim>(rig.Config, rig.Prompts);
                               }},
                    HeaderCase{"TransTbl", "TransTable",
                               [](ListRig& rig) -> std::unique_ptr<QDialog> {
                                   return std::make_unique<TransTbl>(rig.Config, rig.Prompts, rig.Pickers);
                               }},
                    HeaderCase{"PortList", "PortList",
                               [](ListRig& rig) -> std::unique_ptr<QDialog> {
                                   auto d =
                                       std::make_unique<PortSetup>(rig.Config, rig.Prompts, rig.Bindings, [] {
                                           return std::vector<SerialDeviceInfo>{};
                                       });
                                   d->load();
                                   return d;
                               }},
                    HeaderCase{
                        "DeviceList", "DeviceList",
                        [](ListRig& rig) -> std::unique_ptr<QDialog> {
                            auto d = std::make_unique<PortSetup>(rig.Config, rig.Prompts, rig.Bindings, [] {
                                return std::vector<SerialDeviceInfo>{
                                    {"ttyUSB0", "/dev/ttyUSB0",
                                     "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "0403",
                                     "6001", "FTDI", "FT232R USB UART", "A12345"}};
                            });
                            d->load();
                            return d;
                        }}),
    [](const testing::TestParamInfo<HeaderCase>& c) { return std::string(c.param.Name); });

} // namespace
} // namespace quorvane
