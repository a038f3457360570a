// SPDX-License-Identifier: GPL-2.0
/*
 * vmcan0: a CAN controller with bit timing, which vcan lacks. It has the
 * i.MX FlexCAN's bit-timing limits on a 30 MHz clock (the clock_hz
 * parameter), so that setting its bit rate runs the kernel's own bit-timing
 * arithmetic, and the rate it reports is the one the kernel computed, as on
 * a board. It starts down with no bit rate, as a board's controller does
 * before it is configured. There is no bus: frames sent are counted and
 * dropped; the CAN core hands them to the interface's other sockets.
 */
#include <linux/can/dev.h>
#include <linux/module.h>
#include <linux/netdevice.h>

static unsigned int clock_hz = 30000000;
module_param(clock_hz, uint, 0444);
MODULE_PARM_DESC(clock_hz, "the controller's clock in Hz");

/* As drivers/net/can/flexcan/flexcan-core.c gives them. */
static const struct can_bittiming_const vm_can_limits = {
	.name = "vm-can",
	.tseg1_min = 4,
	.tseg1_max = 16,
	.tseg2_min = 2,
	.tseg2_max = 8,
	.sjw_max = 4,
	.brp_min = 1,
	.brp_max = 256,
	.brp_inc = 1,
};

static struct net_device *vm_can;

static netdev_tx_t vm_can_start_xmit(struct sk_buff *skb, struct net_device *dev)
{
	if (can_dropped_invalid_skb(dev, skb))
		return NETDEV_TX_OK;
	dev->stats.tx_packets++;
	consume_skb(skb);
	return NETDEV_TX_OK;
}

static int vm_can_open(struct net_device *dev)
{
	struct can_priv *priv = netdev_priv(dev);
	int err = open_candev(dev);

	if (err)
		return err;
	priv->state = CAN_STATE_ERROR_ACTIVE;
	netif_start_queue(dev);
	return 0;
}

static int vm_can_stop(struct net_device *dev)
{
	struct can_priv *priv = netdev_priv(dev);

	netif_stop_queue(dev);
	close_candev(dev);
	priv->state = CAN_STATE_STOPPED;
	return 0;
}

static const struct net_device_ops vm_can_ops = {
	.ndo_open = vm_can_open,
	.ndo_stop = vm_can_stop,
	.ndo_start_xmit = vm_can_start_xmit,
	.ndo_change_mtu = can_change_mtu,
};

static int __init vm_can_init(void)
{
	struct can_priv *priv;
	int err;

	vm_can = alloc_candev(sizeof(struct can_priv), 0);
	if (!vm_can)
		return -ENOMEM;
	strscpy(vm_can->name, "vmcan0", IFNAMSIZ);
	vm_can->netdev_ops = &vm_can_ops;
	priv = netdev_priv(vm_can);
	priv->clock.freq = clock_hz;
	priv->bittiming_const = &vm_can_limits;
	err = register_candev(vm_can);
	if (err)
		free_candev(vm_can);
	return err;
}

static void __exit vm_can_exit(void)
{
	unregister_candev(vm_can);
	free_candev(vm_can);
}

module_init(vm_can_init);
module_exit(vm_can_exit);
MODULE_DESCRIPTION("A CAN controller with bit timing and no bus, for the test machine");
MODULE_LICENSE("GPL");
